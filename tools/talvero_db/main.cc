// talvero-db [--db PATH|URL] COMMAND: the store's command-line tool. Exit status 0 when the
// command did its work (check: found nothing wrong), 1 when it failed, 2 for a usage error.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "gateways/dba_error.h"
#include "store/store.h"
#include "tools/talvero_db/db_commands.h"

namespace {

using talvero::store::OpenMode;
using talvero::store::OpenStore;
using talvero::store::Store;

// The journal names who changed what: the system account running the tool.
std::string OperatorName() {
  const char* user = std::getenv("USER");
  return std::string("talvero-db") + (user ? ":" + std::string(user) : "");
}

std::shared_ptr<Store> Existing(const std::string& where) {
  auto store = OpenStore(where, OpenMode::kExisting);
  store->SetOperator(OperatorName());
  return store;
}

void Create(const std::string& where) {
  bool exists = true;
  try {
    OpenStore(where, OpenMode::kExisting);
  } catch (const talvero::ComponentError&) {
    exists = false;
  }
  if (exists) throw talvero::dbtool::CommandError("une base d'enregistrements existe déjà là.");
  OpenStore(where, OpenMode::kCreateIfMissing);
}

int Report(const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) std::cout << problem << '\n';
  if (problems.empty()) std::cout << "Aucun problème.\n";
  return problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"talvero-db: the record store of the entry-item screen, embedded or on a server"};
  app.require_subcommand(1);
  app.fallthrough();  // --db may also follow the command
  std::string where = "talvero.db";
  app.add_option("--db", where, "the store: a file path, or a postgresql:// connection string")
      ->envname("TALVERO_DB")
      ->capture_default_str();

  app.add_subcommand("create", "make a new store holding the four empty files");
  auto* import = app.add_subcommand(
      "import", "read FILE ID \"TEXT\" lines from stdin and store them all, or none");
  auto* export_ = app.add_subcommand("export", "write every record as a FILE ID \"TEXT\" line");
  std::string sentence, wanted, file, id;
  int version = 0;
  auto* query = app.add_subcommand("query", "run a query sentence, one line per record");
  query->add_option("SENTENCE", sentence, "e.g. 'SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1'")
      ->required();
  query->add_option("ATTRS", wanted, "wanted attribute numbers, blank-separated (default: 0)");
  auto* history = app.add_subcommand("history", "every version of a record in the journal");
  history->add_option("FILE", file)->required();
  history->add_option("ID", id)->required();
  auto* restore =
      app.add_subcommand("restore", "store again the text a record had after that version");
  restore->add_option("FILE", file)->required();
  restore->add_option("ID", id)->required();
  restore->add_option("VERSION", version)->required()->check(CLI::PositiveNumber);
  auto* check = app.add_subcommand(
      "check", "the store's integrity, the counter, the items the screen could not open");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e);
    return status == 0 ? 0 : 2;
  }

  try {
    if (app.got_subcommand("create")) {
      Create(where);
    } else if (app.got_subcommand(import)) {
      int stored = talvero::dbtool::Import(*Existing(where), std::cin);
      std::cerr << stored << " enregistrement(s) importé(s).\n";
    } else if (app.got_subcommand(export_)) {
      talvero::dbtool::Export(*Existing(where), std::cout);
    } else if (app.got_subcommand(query)) {
      talvero::dbtool::Query(*Existing(where), sentence, wanted, std::cout);
    } else if (app.got_subcommand(history)) {
      talvero::dbtool::History(*Existing(where), file, id, std::cout);
    } else if (app.got_subcommand(restore)) {
      Existing(where)->Restore(file, id, version);
    } else if (app.got_subcommand(check)) {
      return Report(talvero::dbtool::Check(*Existing(where)));
    }
  } catch (const std::exception& e) {
    std::cerr << "talvero-db: " << e.what() << '\n';
    return 1;
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
