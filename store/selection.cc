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

struct Row {
  std::string sort_key;
  std::string id;
  std::string values;
};

std::string RowValues(const std::vector<int>& wanted, std::string_view id,
                      std::string_view record) {
  std::string values;
  for (size_t k = 0; k < wanted.size(); ++k) {
    if (k > 0) values += kValueMark;
    std::string_view attr = wanted[k] == 0 ? id : AttributeOf(record, wanted[k]);
    size_t start = values.size();
    values += attr;
    std::replace(values.begin() + start, values.end(), kValueMark, kSubMark);
  }
  return values;
}

class TableSource : public RecordSource {
 public:
  explicit TableSource(RecordTable& table) : table_(table) {}
  bool HasFile(const std::string& file) override { return table_.HasFile(file); }
  void Scan(const std::string& file, const Access& access, const Visitor& visit) override {
    table_.Scan(file, access, visit);
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
  DBADynArray parts(request);
  Query query = ParseQuery(parts.Get(1));
  std::string named_file = parts.Get(2);
  if (!named_file.empty() && named_file != query.file) {
    throw ComponentError(kErrBadQuery, "La requête porte sur le fichier " + query.file +
                                           " mais la demande nomme le fichier " + named_file + ".");
  }
  std::vector<int> wanted = ParseWanted(parts.Get(3));
  if (!source.HasFile(query.file)) {
    throw ComponentError(kErrNoSuchFile, "Le fichier " + query.file + " n'existe pas.");
  }

  int sort_attr = query.sort_attr.value_or(0);
  std::vector<Row> rows;
  source.Scan(query.file, ChooseAccess(query), [&](std::string_view id, std::string_view record) {
    if (!Matches(query, id, record)) return;
    std::string_view key = sort_attr == 0 ? std::string_view() : AttributeOf(record, sort_attr);
    rows.push_back({std::string(key), std::string(id), RowValues(wanted, id, record)});
  });
  // std::string compares as unsigned bytes, which is the order the sentences ask for.
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return a.sort_key != b.sort_key ? a.sort_key < b.sort_key : a.id < b.id;
  });

  Selection selection;
  selection.count = static_cast<int32_t>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) selection.text += kAttrMark;
    selection.text += rows[i].values;
  }
  return selection;
}

}  // namespace talvero::store
