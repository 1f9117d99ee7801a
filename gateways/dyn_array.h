#pragma once
// DBADynArray: a record, a query request or a query result of the multivalue database.
//
// Content: attributes (numbered from 1) of values (from 1) of sub-values. The whole text joins
// attributes with kAttrMark, values with kValueMark and sub-values with kSubMark; those bytes never
// occur in UTF-8 text, so equal content always gives equal text and back.
//
// Reading past the end gives "". Assigning past the end extends with empty attributes or values.
// Assigning value index -1 appends a new last value (value 1 when the attribute is empty);
// attribute index -1 appends a new last attribute. Assigning index 0 or below -1 raises
// kErrSubscript (attribute 0, the id, is read-only). DCount() of an empty whole text is 0.
// A part never holds a mark of its own level or above: an attribute may hold value and sub-value
// marks but no attribute mark, a value only sub-value marks. Assigning one raises
// kErrMarkInValue and changes nothing, so a text can never shift the parts that follow it.
// Numbers are stored as their shortest text with at most 15 significant digits and a "." decimal
// point, so 12.5 * 100 stores "1250" and 0.29 * 100 stores "29"; never an exponent, whatever the
// process locale. A number that is not finite raises kErrConversion.
//
// A record obtained from DBAFile::DBRead or DBRecord stays bound to its file and id: DBWrite stores
// its current content there. An unbound array raises kErrNotBound on DBWrite.
#include <memory>
#include <string>
#include <vector>

namespace talvero {

inline constexpr char kAttrMark = '\xFE';
inline constexpr char kValueMark = '\xFD';
inline constexpr char kSubMark = '\xFC';

// Where a bound record is written. Implemented by the store's files.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void WriteRecord(const std::string& id, const std::string& text) = 0;
};

class DBADynArray {
 public:
  DBADynArray() = default;
  explicit DBADynArray(const std::string& text) { Set(text); }

  // Whole text.
  std::string Get() const;
  void Set(const std::string& text);
  // Attribute a (values joined by kValueMark). Attribute 0 of a bound record is its id.
  std::string Get(int a) const;
  void Set(int a, const std::string& text);
  // Value v of attribute a (sub-values joined by kSubMark); v = -1 appends.
  std::string Get(int a, int v) const;
  void Set(int a, int v, const std::string& text);
  // Numbers, stored as text.
  void SetNumber(int a, double value);
  void SetNumber(int a, int v, double value);
  static std::string NumberText(double value);

  // Number of attributes; number of values of attribute a (0 when it is empty).
  int DCount() const;
  int DCount(int a) const;

  // Stores the record where it came from (DBRead / DBRecord).
  void DBWrite();

  void Bind(std::shared_ptr<RecordSink> sink, std::string id);
  const std::string& Id() const { return id_; }

 private:
  std::vector<std::string> attrs_;  // raw attribute texts, index 0 = attribute 1
  std::shared_ptr<RecordSink> sink_;
  std::string id_;
};

using DynArrayPtr = std::shared_ptr<DBADynArray>;

}  // namespace talvero
