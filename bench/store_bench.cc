// talvero-bench: the time of each query the screen sends and of each operator event, against
// bare SQLite answering the same query from the same data with the best index (the floor),
// measured in the same run. Prints one table (operation, ours, floor, ratio) and the peak memory
// after each chart size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "bench/floor.h"
#include "bench/pg_floor.h"
#include "component/ctr_talvero.h"
#include "outside/rights_object.h"
#include "screen/display.h"
#include "screen/model.h"
#include "screen/operator.h"
#include "store/pg_store.h"
#include "store/sqlite_store.h"

namespace talvero::bench {
namespace {

struct Settings {
  std::vector<int64_t> sizes = {10000, 100000, 1000000};
  std::string server_url;  // TALVERO_PG_URL: the same operations on PostgreSQL too
  std::vector<int64_t> server_sizes = {10000, 100000, 1000000};
  std::string data_folder;
  int repetitions = 5;
  double min_time = 0.05;
};

// Gathers the time of each repetition ("name#k") and gives the median by name.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string& name = run.run_name.function_name;
      times_[name.substr(0, name.rfind('#'))].push_back(run.GetAdjustedRealTime());
    }
  }
  // Microseconds; -1 when the benchmark did not run.
  double Median(const std::string& name) {
    auto found = times_.find(name);
    if (found == times_.end()) return -1;
    std::vector<double>& times = found->second;
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

 private:
  std::map<std::string, std::vector<double>> times_;
};

struct TableRow {
  std::string size;
  std::string operation;
  std::string ours;
  std::string floor;  // empty: no floor
};

std::string Grouped(int64_t n) {
  std::string digits = std::to_string(n), text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ' ';
    text += digits[i];
  }
  return text;
}

std::string Request(const std::string& sentence, const std::string& file,
                    const std::string& wanted) {
  return sentence + kAttrMark + file + kAttrMark + wanted;
}

[[noreturn]] void Fail(const std::string& text) {
  std::fprintf(stderr, "talvero-bench: %s\n", text.c_str());
  std::exit(1);
}

// The control on a headless screen over the store, with full rights, as a host would start it.
struct ScreenRig {
  explicit ScreenRig(std::shared_ptr<DBADatabase> database) : db(std::move(database)) {}
  void Start() {
    // The control's globals are shared: the old control is torn down before the new one starts.
    control.reset();
    control = std::make_unique<Ctr_Talvero>(screen);
    control->TheDatabase(db);
    control->TheClient(std::make_shared<DBAClient>());
    control->DroitsUtilisateur(rights);
    control->Init();
    screen.DoEvents();
  }
  // What the operator saw since the last call.
  std::string Seen() {
    std::string seen;
    for (const screen::LoggedEvent& e : display.Pending()) seen += e.Describe() + "\n";
    display.Pending().clear();
    return seen;
  }
  // Back to search mode (Annuler when an item is on screen) with the full label list, the focus
  // in the code field.
  void SearchMode() {
    if (control->Cmd_Annuler.Enabled()) op.Click(control->Cmd_Annuler);
    control->Remplir_RubSaisie();
    op.Focus(control->Txt_CodRubSai);
  }
  void ShowItem(const std::string& code) {
    SearchMode();
    op.Type(code);
  }

  screen::HeadlessDisplay display;
  screen::Screen screen{display};
  screen::Operator op{screen};
  std::shared_ptr<DBADatabase> db;
  std::shared_ptr<outside::ConfiguredRights> rights = std::make_shared<outside::ConfiguredRights>();
  std::unique_ptr<Ctr_Talvero> control;
};

class Bench {
 public:
  explicit Bench(const Settings& settings) : settings_(settings) {}

  void RunSize(const DataSet& set) {
    Floor floor(set.floor_path);
    RunQueries(Grouped(set.accounts), store::SqliteDatabase::Open(set.store_path), floor,
               set.accounts);
  }

  // The same operations on the server: the store in a schema of its own, loaded at each run (the
  // throwaway server of make bench starts empty), the floor's tables in another.
  void RunServerSize(const std::string& url, int64_t accounts) {
    std::string schema = "talvero_bench_" + std::to_string(accounts);
    std::fprintf(stderr, "loading %lld accounts into the server\n",
                 static_cast<long long>(accounts));
    auto db = store::PgDatabase::Open(url, schema);
    std::vector<std::pair<std::string, std::string>> records;
    for (int i = 1; i <= 999; ++i) records.emplace_back(ItemId(i), ItemText(i));
    db->PutRecords("RUBSAISIE", records);
    constexpr int64_t kBatch = 100000;
    for (int64_t first = 0; first < accounts; first += kBatch) {
      records.clear();
      for (int64_t i = first; i < std::min(accounts, first + kBatch); ++i)
        records.emplace_back(AccountId(i), AccountText(i));
      db->PutRecords("PLANCOMPTABLE", records);
    }
    db->PutRecord("COMPTEUR", "999", SettingsText());
    // The screen's list read once, as on an office's first day: from then on the items' file
    // keeps apart the attribute it reads (done once in a store's life), before the floor's vacuum.
    int32_t count = 0;
    db->DBQuery(Request("SSELECT RUBSAISIE PAR 1", "RUBSAISIE", "0 1 18"), "", count);
    PgFloor floor(url, schema + "_floor", schema);
    RunQueries(Grouped(accounts) + " PostgreSQL", db, floor, accounts);
    db->DropSchema();
  }

  template <class FloorT>
  void RunQueries(const std::string& size, std::shared_ptr<DBADatabase> db, FloorT& floor,
                  int64_t accounts) {
    size_ = size;
    pending_.clear();
    std::string digits = NumberPrefixFor(accounts);
    std::string label = LabelPrefixFor(accounts);
    QueryPair(*db, "account search by number prefix (" + digits + ")",
              Request("SSELECT PLANCOMPTABLE AVEC @ID = \"" + kAccountPrefix + digits + "]\" PAR 1",
                      "PLANCOMPTABLE", "0 1"),
              [&floor, id = kAccountPrefix + digits] { return floor.AccountsByNumber(id); });
    QueryPair(
        *db, "account search by label prefix (" + label + ")",
        Request("SSELECT PLANCOMPTABLE AVEC 1 = \"" + label + "]\" PAR 1", "PLANCOMPTABLE", "0 1"),
        [&floor, label] { return floor.AccountsByLabel(label); });
    QueryPair(*db, "full label list of 999 items",
              Request("SSELECT RUBSAISIE PAR 1", "RUBSAISIE", "0 1 18"),
              [&floor] { return floor.ItemList(); });
    QueryPair(*db, "label search over items (PRIME)",
              Request("SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1", "RUBSAISIE", "0 1 18"),
              [&floor] { return floor.ItemsByLabel("PRIME"); });
    DurableWrite(*db, [&floor](bool with_version, const std::string& id, const std::string& label,
                               const std::string& deleted, const std::string& body) {
      if (with_version) {
        floor.WriteItemWithVersion(id, label, deleted, body);
      } else {
        floor.WriteItem(id, label, deleted, body);
      }
    });
    ScreenRig rig(db);
    OperatorEvents(rig);

    RegisterInterleaved();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::ClearRegisteredBenchmarks();
    for (auto& [operation, ours, floor_name] : pending_) {
      auto median = [&](const std::string& name) { return reporter.Median(name); };
      rows_.push_back({size_, operation, Micro(median(ours)),
                       floor_name.empty() ? "" : Micro(median(floor_name))});
      ratios_.push_back(floor_name.empty() ? 0 : median(ours) / median(floor_name));
    }
    rig.control.reset();
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    memory_.push_back("peak RSS after " + size_ +
                      " accounts: " + std::to_string(usage.ru_maxrss / 1024) + " MB");
  }

  void PrintTable() const {
    std::printf(
        "\n| accounts | operation | ours (us) | floor (us) | ratio |\n|---|---|---|---|---|\n");
    for (size_t i = 0; i < rows_.size(); ++i) {
      const TableRow& row = rows_[i];
      char ratio[32] = "-";
      if (!row.floor.empty()) std::snprintf(ratio, sizeof ratio, "%.2fx", ratios_[i]);
      std::printf("| %s | %s | %s | %s | %s |\n", row.size.c_str(), row.operation.c_str(),
                  row.ours.c_str(), row.floor.empty() ? "-" : row.floor.c_str(), ratio);
    }
    std::printf("\n");
    for (const std::string& line : memory_) std::printf("%s\n", line.c_str());
  }

 private:
  static std::string Micro(double us) {
    char text[32];
    std::snprintf(text, sizeof text, us < 10 ? "%.2f" : us < 100 ? "%.1f" : "%.0f", us);
    return text;
  }

  // Each repetition is a benchmark of its own ("name#2"), and the repetitions of every operation
  // of a size are interleaved (ours, floor, ours, floor...), so that a change of the machine's
  // load during the run weighs on both sides of a ratio alike.
  void Register(const std::string& name, std::function<void(benchmark::State&)> body) {
    registered_.push_back({name, std::move(body), settings_.repetitions, 0});
  }

  // A durable write takes the disk's time to sync, which changes from one second to the next on a
  // shared machine: such operations take many short turns of a fixed number of writes, interleaved
  // as above, so that both sides of a ratio meet the disk as it was at the same moments.
  void RegisterInTurns(const std::string& name, std::function<void(benchmark::State&)> body) {
    constexpr int kTurnsPerRepetition = 8;
    constexpr int64_t kWritesPerTurn = 25;
    registered_.push_back(
        {name, std::move(body), kTurnsPerRepetition * settings_.repetitions, kWritesPerTurn});
  }

  void RegisterInterleaved() {
    int rounds = 0;
    for (const Registered& entry : registered_) rounds = std::max(rounds, entry.repetitions);
    for (int r = 1; r <= rounds; ++r) {
      for (const Registered& entry : registered_) {
        if (r > entry.repetitions) continue;
        auto* benchmark = benchmark::RegisterBenchmark(
            (entry.name + "#" + std::to_string(r)).c_str(),
            [body = entry.body](benchmark::State& state) { body(state); });
        benchmark->Unit(benchmark::kMicrosecond);
        if (entry.iterations > 0) {
          benchmark->Iterations(entry.iterations);
        } else {
          benchmark->MinTime(settings_.min_time);
        }
      }
    }
    registered_.clear();
  }

  // Ours and the floor, after checking that both give the same bytes.
  void QueryPair(DBADatabase& db, const std::string& operation, const std::string& request,
                 std::function<std::string()> floor_query) {
    int32_t count = 0;
    std::string ours_text = db.DBQuery(request, "", count)->Get();
    std::string floor_text = floor_query();
    if (ours_text != floor_text || ours_text.empty()) {
      Fail(operation + ": the store's result differs from the floor's (" +
           std::to_string(ours_text.size()) + " bytes against " +
           std::to_string(floor_text.size()) + ")");
    }
    std::string ours = size_ + "/ours/" + operation, floor = size_ + "/floor/" + operation;
    Register(ours, [&db, request](benchmark::State& state) {
      int32_t count = 0;
      for (auto _ : state) benchmark::DoNotOptimize(db.DBQuery(request, "", count));
    });
    Register(floor, [floor_query](benchmark::State& state) {
      for (auto _ : state) benchmark::DoNotOptimize(floor_query());
    });
    pending_.push_back({operation + " [" + std::to_string(count) + " rows]", ours, floor});
  }

  // One item written again and again, each time with a changed amount (its label kept), as a
  // save changes it; every side ends with the item's own text, so the data stays as it was. The
  // floor is measured twice: the bare write, and the bare write keeping a version of the item as
  // the store's journal does.
  using FloorWrite =
      std::function<void(bool with_version, const std::string& id, const std::string& label,
                         const std::string& deleted, const std::string& body)>;
  void DurableWrite(DBADatabase& db, FloorWrite floor_write) {
    constexpr int kItem = 998;
    std::string ours = size_ + "/ours/write", floor_name = size_ + "/floor/write",
                versioned_name = size_ + "/floor/write with version";
    DynArrayPtr record = db.DBOpen("RUBSAISIE")->DBRead(ItemId(kItem));
    if (record->Get() != ItemText(kItem)) Fail("item 998 does not hold its text");
    const std::string own = ItemText(kItem);
    std::string changed = own;
    changed.replace(changed.find("1000000"), 7, "1000001");
    RegisterInTurns(ours, [record, own, changed](benchmark::State& state) {
      bool flip = false;
      for (auto _ : state) {
        record->Set((flip = !flip) ? changed : own);
        record->DBWrite();
      }
      record->Set(own);
      record->DBWrite();
    });
    for (bool with_version : {false, true}) {
      RegisterInTurns(
          with_version ? versioned_name : floor_name,
          [floor_write, own, changed, with_version](benchmark::State& state) {
            std::string id = ItemId(kItem), label = ItemLabel(kItem), deleted = ItemDeleted(kItem);
            bool flip = false;
            for (auto _ : state)
              floor_write(with_version, id, label, deleted, (flip = !flip) ? changed : own);
            floor_write(with_version, id, label, deleted, own);
          });
    }
    pending_.push_back({"durable write of one item", ours, floor_name});
    pending_.push_back(
        {"durable write of one item (floor keeping a version too)", ours, versioned_name});
  }

  void OperatorEvents(ScreenRig& rig) {
    rig.Start();
    if (!rig.Seen().empty()) Fail("Init reported something");
    const std::string code = "123";
    const std::string label = ItemLabel(123);
    rig.ShowItem(code);
    if (rig.control->Txt_LibRubSai.Text() != label) Fail("item 123 was not shown by its code");
    rig.op.Focus(rig.control->Txt_LibRubSai);
    rig.op.Paste(label);
    rig.op.Click(rig.control->Cmd_OK);
    if (!rig.display.Pending().empty() || rig.control->Txt_CodRubSai.Text() != "")
      Fail("saving item 123 did not go through: " + rig.Seen() + rig.control->Txt_CodRubSai.Text());

    Event("Init (999 items, files opened, label list filled)", [&rig](benchmark::State& state) {
      for (auto _ : state) {
        rig.Start();
        state.PauseTiming();
        rig.control.reset();
        state.ResumeTiming();
      }
      rig.Start();
    });
    Event("find an item by its code (3 keys)", [&rig, code](benchmark::State& state) {
      for (auto _ : state) {
        state.PauseTiming();
        rig.SearchMode();
        state.ResumeTiming();
        rig.op.Type(code);
      }
    });
    Event("find items by label (PRIME, Enter)", [&rig](benchmark::State& state) {
      for (auto _ : state) {
        state.PauseTiming();
        rig.SearchMode();
        rig.op.Focus(rig.control->Cbo_LibRubSai);
        rig.op.Paste("PRIME");
        state.ResumeTiming();
        rig.op.Key(screen::kKeyEnter);
      }
    });
    Event("save an item (OK: write, label list refilled)",
          [&rig, code, label](benchmark::State& state) {
            for (auto _ : state) {
              state.PauseTiming();
              rig.ShowItem(code);
              rig.op.Focus(rig.control->Txt_LibRubSai);
              rig.op.Paste(label);
              state.ResumeTiming();
              rig.op.Click(rig.control->Cmd_OK);
            }
          });
  }

  void Event(const std::string& operation, std::function<void(benchmark::State&)> body) {
    std::string name = size_ + "/event/" + operation;
    Register(name, std::move(body));
    pending_.push_back({operation, name, ""});
  }

  struct Pending {
    std::string operation, ours, floor;
  };
  struct Registered {
    std::string name;
    std::function<void(benchmark::State&)> body;
    int repetitions;
    int64_t iterations;  // 0: as many as min_time takes
  };
  std::vector<Registered> registered_;
  Settings settings_;
  std::string size_;
  std::vector<Pending> pending_;
  std::vector<TableRow> rows_;
  std::vector<double> ratios_;
  std::vector<std::string> memory_;
};

const char kUsage[] =
    "usage: talvero-bench [--sizes=N,N,...] [--data=FOLDER] [--repetitions=N] [--min-time=S]\n"
    "                     [--quick] [--benchmark_... flags]\n"
    "Times each query of the screen against bare SQLite on the same data (the floor) and each\n"
    "operator event, on charts of accounts of the given sizes (default 10000,100000,1000000)\n"
    "and 999 items. The data is built once into FOLDER (default: bench-data beside the program)\n"
    "and reused by later runs. With TALVERO_PG_URL set, the same on that PostgreSQL server\n"
    "(--server-sizes=N,N,... accounts, default 10000,100000,1000000), against bare libpq on\n"
    "the same server; the server's store is loaded at each run, one statement per batch.\n"
    "Each operation is timed N times (default 5) for at least S\n"
    "seconds (default 0.05) and the median kept. --quick: once each, for a smoke test.\n";

// A list of chart sizes: "10000,1000000".
std::vector<int64_t> Sizes(const std::string& list) {
  std::vector<int64_t> sizes;
  for (size_t start = 0; start <= list.size();) {
    size_t end = std::min(list.find(',', start), list.size());
    sizes.push_back(std::atoll(list.substr(start, end - start).c_str()));
    if (sizes.back() < 1000) Fail("a chart holds at least 1000 accounts");
    start = end + 1;
  }
  return sizes;
}

Settings ParseSettings(int& argc, char** argv) {
  Settings settings;
  if (const char* url = std::getenv("TALVERO_PG_URL")) settings.server_url = url;
  settings.data_folder = (std::filesystem::absolute(argv[0]).parent_path() / "bench-data").string();
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg.rfind("--sizes=", 0) == 0) {
      settings.sizes = Sizes(arg.substr(8));
    } else if (arg.rfind("--server-sizes=", 0) == 0) {
      settings.server_sizes = Sizes(arg.substr(15));
    } else if (arg.rfind("--data=", 0) == 0) {
      settings.data_folder = arg.substr(7);
    } else if (arg.rfind("--min-time=", 0) == 0) {
      settings.min_time = std::atof(arg.substr(11).c_str());
    } else if (arg.rfind("--repetitions=", 0) == 0) {
      settings.repetitions = std::max(1, std::atoi(arg.substr(14).c_str()));
    } else if (arg == "--quick") {
      settings.repetitions = 1;
      settings.min_time = 0.01;
    } else if (arg.rfind("--benchmark_", 0) == 0) {
      argv[kept++] = argv[i];
    } else {
      std::fprintf(stderr, "talvero-bench: unknown argument %s\n%s", arg.c_str(), kUsage);
      std::exit(2);
    }
  }
  argc = kept;
  return settings;
}

}  // namespace
}  // namespace talvero::bench

int main(int argc, char** argv) {
  using namespace talvero::bench;
  Settings settings = ParseSettings(argc, argv);
  benchmark::Initialize(&argc, argv);
  try {
    // Every data set is built before any connection is open: the builder forks.
    std::vector<DataSet> sets;
    for (int64_t size : settings.sizes) sets.push_back(EnsureDataSet(settings.data_folder, size));
    std::sort(sets.begin(), sets.end(),
              [](const DataSet& a, const DataSet& b) { return a.accounts < b.accounts; });
    Bench bench(settings);
    for (const DataSet& set : sets) bench.RunSize(set);
    if (!settings.server_url.empty()) {
      for (int64_t size : settings.server_sizes) bench.RunServerSize(settings.server_url, size);
    }
    bench.PrintTable();
  } catch (const std::exception& e) {
    Fail(e.what());
  }
  return 0;
}
