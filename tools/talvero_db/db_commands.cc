#include "tools/talvero_db/db_commands.h"

#include <istream>
#include <ostream>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "records/code_tables.h"
#include "replay/notation.h"
#include "replay/script.h"

namespace talvero::dbtool {

namespace {

struct RecordLine {
  int number;
  std::string file, id, text;  // text as stored
};

bool IsSkipped(const std::string& line) {
  size_t first = line.find_first_not_of(" \t\r");
  return first == std::string::npos || line[first] == '#';
}

// A record line is a scenario's `db FILE ID "TEXT"` without its verb: the scenario reader reads
// it, so that both write records alike.
RecordLine ParseRecordLine(const std::string& line, int number) {
  std::optional<replay::Command> command;
  try {
    command = replay::ParseLine("db " + line, number);
  } catch (const replay::ScriptError& e) {
    throw CommandError("ligne " + std::to_string(number) + " : " + e.what());
  }
  if (!command || command->verb != replay::Verb::kDbText) {
    throw CommandError("ligne " + std::to_string(number) + " : FICHIER ID \"TEXTE\" attendu");
  }
  return {number, command->target, command->id, replay::StoredFromNotation(command->texts[0])};
}

std::string Written(const std::optional<std::string>& text) {
  return text ? replay::Quoted(replay::NotationFromStored(*text)) : "-";
}

}  // namespace

int Import(store::Store& store, std::istream& in) {
  std::vector<RecordLine> records;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!IsSkipped(line)) records.push_back(ParseRecordLine(line, number));
  }
  const RecordLine* current = nullptr;
  try {
    store.DBTransaction([&] {
      for (const RecordLine& record : records) {
        current = &record;
        store.PutRecord(record.file, record.id, record.text);
      }
    });
  } catch (const ComponentError& e) {
    if (!current) throw;
    throw CommandError("ligne " + std::to_string(current->number) + " : " + e.what() +
                       " Rien n'a été importé.");
  }
  return static_cast<int>(records.size());
}

void Export(store::Store& store, std::ostream& out) {
  const std::string notation_marks = "^]\\";
  for (const std::string& file : store.Files()) {
    store.ForEachRecord(file, [&](std::string_view id, std::string_view text) {
      if (text.find_first_of(notation_marks) != text.npos || id.find_first_of(" \t\"") != id.npos) {
        throw CommandError("l'enregistrement " + std::string(id) + " du fichier " + file +
                           " contient un caractère que la notation ne peut pas écrire (^, ], \\, "
                           "ou un blanc ou un guillemet dans l'identifiant).");
      }
      out << file << ' ' << id << ' '
          << replay::Quoted(replay::NotationFromStored(std::string(text))) << '\n';
    });
  }
}

void Query(store::Store& store, const std::string& sentence, const std::string& wanted,
           std::ostream& out) {
  DBADynArray request;
  request.Set(1, sentence);
  request.Set(3, wanted);
  int32_t count = 0;
  DynArrayPtr result = store.DBQuery(request.Get(), "", count);
  for (int row = 1; row <= count; ++row) {
    out << replay::NotationFromStored(result->Get(row)) << '\n';
  }
}

void History(store::Store& store, const std::string& file, const std::string& id,
             std::ostream& out) {
  for (const store::Version& version : store.History(file, id)) {
    out << version.number << '\t' << version.time << '\t' << version.operator_name << '\t'
        << Written(version.before) << '\t' << Written(version.after) << '\n';
  }
}

}  // namespace talvero::dbtool
