#include "host/catalogue.h"

#include <algorithm>
#include <sstream>

#include "gateways/dyn_array.h"
#include "replay/notation.h"
#include "replay/script.h"

namespace talvero::host {

namespace {

bool IsCommentOrBlank(const std::string& line) {
  auto first = line.find_first_not_of(" \t\r");
  return first == std::string::npos || line[first] == '#';
}

// A catalogue line is a scenario's `db` line without its verb: the scenario reader gives both the
// same lexical rules, so a record copied from a scenario means the same thing here.
CatalogueRecord ReadRecordLine(const std::string& line, int number) {
  std::optional<replay::Command> command;
  try {
    command = replay::ParseLine("db " + line, number);
  } catch (const replay::ScriptError& e) {
    throw CatalogueError("line " + std::to_string(number) + ": " + e.what());
  }
  if (!command ||
      (command->verb != replay::Verb::kDbText && command->verb != replay::Verb::kDbAttributes)) {
    throw CatalogueError("line " + std::to_string(number) + ": not a record: " + line);
  }
  CatalogueRecord record{command->target, command->id, "", number};
  if (command->verb == replay::Verb::kDbText) {
    record.stored_text = replay::StoredFromNotation(command->texts[0]);
  } else {
    DBADynArray fields;
    for (const auto& [attribute, text] : command->attributes)
      fields.Set(attribute, replay::StoredFromNotation(text));
    record.stored_text = fields.Get();
  }
  return record;
}

}  // namespace

std::vector<CatalogueRecord> ReadCatalogue(const std::string& content) {
  std::vector<CatalogueRecord> records;
  std::istringstream in(content);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (IsCommentOrBlank(line)) continue;
    records.push_back(ReadRecordLine(line, number));
  }
  return records;
}

void LoadCatalogue(store::SqliteDatabase& database, const std::vector<CatalogueRecord>& records) {
  std::vector<std::string> files = database.Files();
  for (const CatalogueRecord& record : records) {
    if (std::find(files.begin(), files.end(), record.file) == files.end()) {
      database.CreateFile(record.file);
      files.push_back(record.file);
    }
    database.PutRecord(record.file, record.id, record.stored_text);
  }
}

}  // namespace talvero::host
