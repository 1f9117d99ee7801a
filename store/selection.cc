#include "store/selection.h"

#include <algorithm>
#include <vector>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"

namespace talvero::store {

namespace {

std::vector<int> ParseWanted(const std::string& wanted) {
  std::vector<int> attrs;
  size_t start = 0;
  while (start < wanted.size()) {
    size_t end = wanted.find(' ', start);
    if (end == std::string::npos) end = wanted.size();
    std::string word = wanted.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (word == "@ID") {
      attrs.push_back(0);
    } else if (word.size() <= 6 && word.find_first_not_of("0123456789") == std::string::npos) {
      attrs.push_back(std::stoi(word));
    } else {
      throw ComponentError(kErrBadQuery, "Attribut demandé incorrect : \"" + word + "\"");
    }
  }
  if (attrs.empty()) attrs.push_back(0);
  return attrs;
}

// Appends value k of a result row for each wanted attribute; the value marks of a multivalued
// attribute become sub-value marks.
void AppendValues(std::string& text, const std::vector<int>& wanted, const RecordView& record) {
  for (size_t k = 0; k < wanted.size(); ++k) {
    if (k > 0) text += kValueMark;
    std::string_view attr = record.Attribute(wanted[k]);
    size_t start = text.size();
    text += attr;
    // An id never holds a mark, and the store knows which attributes 1 do.
    if (wanted[k] == 0 || (wanted[k] == 1 && !record.attr1_multivalued)) continue;
    if (attr.find(kValueMark) != attr.npos)
      std::replace(text.begin() + start, text.end(), kValueMark, kSubMark);
  }
}

// The attributes past the first that the selection reads, in increasing order: the whole text of
// a record is read only when there are some.
std::vector<int> AttributesRead(const Query& query, const std::vector<int>& wanted) {
  std::vector<int> attrs;
  auto note = [&](int attr) {
    if (attr > 1) attrs.push_back(attr);
  };
  for (int attr : wanted) note(attr);
  note(query.sort_attr.value_or(0));
  for (const Condition& condition : query.conditions) note(condition.attr);
  std::sort(attrs.begin(), attrs.end());
  attrs.erase(std::unique(attrs.begin(), attrs.end()), attrs.end());
  return attrs;
}

struct SortedRow {
  std::string sort_key;
  std::string id;
  std::string values;
};

// No index of the source gives the order asked: the rows are gathered and sorted here.
void SelectSortedHere(RecordSource& source, const Query& query, const std::vector<int>& wanted,
                      ScanShape shape, Selection& selection) {
  int sort_attr = query.sort_attr.value_or(0);
  std::vector<SortedRow> rows;
  auto take = [&](const RecordView& record) {
    if (!Matches(query, record)) return;
    SortedRow row{sort_attr == 0 ? std::string() : std::string(record.Attribute(sort_attr)),
                  std::string(record.id), ""};
    AppendValues(row.values, wanted, record);
    rows.push_back(std::move(row));
  };
  shape.order = ScanShape::kAnyOrder;
  if (!source.ScanInOrder(query.file, shape, take)) {
    source.Scan(query.file, shape.access, [&](std::string_view id, std::string_view text) {
      take(RecordView{id, AttributeOf(text, 1), text});
    });
  }
  // std::string compares as unsigned bytes, which is the order the sentences ask for.
  std::sort(rows.begin(), rows.end(), [](const SortedRow& a, const SortedRow& b) {
    return a.sort_key != b.sort_key ? a.sort_key < b.sort_key : a.id < b.id;
  });
  for (const SortedRow& row : rows) {
    if (selection.count++ > 0) selection.text += kAttrMark;
    selection.text += row.values;
  }
}

class TableSource : public RecordSource {
 public:
  explicit TableSource(RecordTable& table) : table_(table) {}
  bool HasFile(const std::string& file) override { return table_.HasFile(file); }
  void Scan(const std::string& file, const Access& access, const Visitor& visit) override {
    table_.Scan(file, access, visit);
  }
  bool ScanInOrder(const std::string& file, const ScanShape& shape,
                   const RowVisitor& visit) override {
    table_.Scan(file, shape, visit);
    return true;
  }

 private:
  RecordTable& table_;
};

}  // namespace

Selection Select(RecordTable& table, const std::string& request) {
  TableSource source(table);
  return Select(source, request);
}

Selection Select(RecordSource& source, const std::string& request) {
  Query query = ParseQuery(std::string(AttributeOf(request, 1)));
  std::string_view named_file = AttributeOf(request, 2);
  if (!named_file.empty() && named_file != query.file) {
    throw ComponentError(kErrBadQuery, "La requête porte sur le fichier " + query.file +
                                           " mais la demande nomme le fichier " +
                                           std::string(named_file) + ".");
  }
  std::vector<int> wanted = ParseWanted(std::string(AttributeOf(request, 3)));
  if (!source.HasFile(query.file)) {
    throw ComponentError(kErrNoSuchFile, "Le fichier " + query.file + " n'existe pas.");
  }

  ScanShape shape;
  shape.access = ChooseAccess(query);
  shape.attrs = AttributesRead(query, wanted);
  shape.body = !shape.attrs.empty();
  int sort_attr = query.sort_attr.value_or(0);
  Selection selection;
  // The id and attribute 1 orders come from the source's indexes when it can read in them.
  shape.order = sort_attr == 0 ? ScanShape::kById : ScanShape::kByAttr1;
  // When the only condition gave the index range, every record of the range meets it, except
  // one whose attribute 1 holds several values (read whatever the range).
  const bool range_is_exact =
      query.conditions.size() == 1 && shape.access.kind != Access::kAllRecords;
  bool in_order =
      sort_attr <= 1 && source.ScanInOrder(query.file, shape, [&](const RecordView& record) {
        bool in_range =
            range_is_exact && (shape.access.kind == Access::kIdRange || !record.attr1_multivalued);
        if (!in_range && !Matches(query, record)) return;
        if (selection.count++ > 0) selection.text += kAttrMark;
        AppendValues(selection.text, wanted, record);
      });
  if (!in_order) SelectSortedHere(source, query, wanted, shape, selection);
  return selection;
}

}  // namespace talvero::store
