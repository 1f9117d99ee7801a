#pragma once
// Using an object variable that holds no object is error 91, as a reference to nothing would be:
// the caller's error handling (or the event boundary) deals with it like any other failure.
#include <exception>
#include <memory>

#include "gateways/dba_error.h"

namespace talvero {

template <typename T>
T& Obj(const std::shared_ptr<T>& object) {
  if (!object) throw ComponentError(kErrNoObject, "Variable objet non définie");
  return *object;
}

// Runs one statement of an "errors ignored" sequence: a failure skips the statement only.
template <typename F>
void Skip(F&& statement) {
  try {
    statement();
  } catch (const std::exception&) {
    // A question left unanswered by a script is not an error of the statement: it propagates.
  }
}

}  // namespace talvero
