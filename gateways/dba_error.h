#pragma once
// Errors of the outside components travel as exceptions carrying the component's own error number,
// so that callers can test an expected outcome (a missing record) by value.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace talvero {

// DBRead of a record that does not exist.
constexpr int32_t kErrRecordNotFound = static_cast<int32_t>(0x8004000B);  // -2147221493
// Other numbers raised by our own components.
constexpr int32_t kErrNoSuchFile = static_cast<int32_t>(0x80040010);
constexpr int32_t kErrBadQuery = static_cast<int32_t>(0x80040011);
constexpr int32_t kErrStorage = static_cast<int32_t>(0x80040012);
constexpr int32_t kErrNotBound = static_cast<int32_t>(0x80040013);
constexpr int32_t kErrMarkInValue = static_cast<int32_t>(0x80040014);  // a mark of its own level
constexpr int32_t kErrConversion = 13;  // "Type mismatch": a text that is not a number
constexpr int32_t kErrSubscript = 9;    // an index outside a list
constexpr int32_t kErrNoObject = 91;    // an object that does not exist

class ComponentError : public std::runtime_error {
 public:
  ComponentError(int32_t number, const std::string& text)
      : std::runtime_error(text), number_(number) {}
  int32_t Number() const { return number_; }

 private:
  int32_t number_;
};

}  // namespace talvero
