// A writer process killed by SIGKILL at random moments, round after round, on one store file.
// Every write it acknowledged must be there afterwards with its exact text, a write it had not
// acknowledged is wholly there or wholly absent (a transaction of three records too), and SQLite
// finds the file sound.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/test_notation.h"
#include "tests/reliability/reliability_rig.h"

namespace talvero::reliability {
namespace {

// Write k of the writer: a replacement, an insertion or a transaction of three records, in turn.
enum class WriteKind { kReplace, kInsert, kTransaction };
WriteKind KindOf(int64_t k) {
  return static_cast<WriteKind>(k % 3);
}

std::vector<std::string> IdsOf(int64_t k) {
  std::string id = "C" + std::to_string(1000000 + k);
  if (KindOf(k) != WriteKind::kTransaction) return {id};
  return {id + "A", id + "B", id + "C"};
}

// A text of any length up to 3000 bytes, marks included, the same for the same id.
std::string TextOf(const std::string& id) {
  std::mt19937 random(static_cast<uint32_t>(std::hash<std::string>{}(id)));
  const std::string alphabet =
      std::string("ABCDEFGHIJ 0123456789") + kAttrMark + kValueMark + kSubMark + "\xC3\xA9";
  size_t length = random() % 5 == 0 ? random() % 3000 : random() % 200;
  std::string text;
  for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
  return text;
}

using Opener = std::function<std::shared_ptr<store::Store>()>;

// The writer: writes from `first` on and acknowledges each write on the pipe once it returned.
[[noreturn]] void Writer(const Opener& open, int64_t first, int ack) {
  try {
    std::shared_ptr<store::Store> db = open();
    auto file = db->DBOpen("RUBSAISIE");
    for (int64_t k = first;; ++k) {
      std::vector<std::string> ids = IdsOf(k);
      switch (KindOf(k)) {
        case WriteKind::kReplace: {
          DynArrayPtr record = file->DBRecord(ids[0]);
          record->Set(TextOf(ids[0]));
          record->DBWrite();
          break;
        }
        case WriteKind::kInsert:
          if (!file->DBInsert(ids[0], TextOf(ids[0]))) _exit(3);
          break;
        case WriteKind::kTransaction:
          db->DBTransaction([&] {
            for (const std::string& id : ids) {
              DynArrayPtr record = file->DBRecord(id);
              record->Set(TextOf(id));
              record->DBWrite();
            }
          });
          break;
      }
      if (write(ack, &k, sizeof k) != sizeof k) _exit(4);
    }
  } catch (...) {
    _exit(2);
  }
}

struct RoundResult {
  int64_t acknowledged_up_to = -1;  // last acknowledged write
  bool writer_failed = false;
};

// Starts a writer, kills it after `delay` (counted from its first acknowledgement when
// `after_first_write`, so that a loaded machine still sees writes made), and collects what it
// acknowledged.
RoundResult RunRound(const Opener& open, int64_t first, std::chrono::microseconds delay,
                     bool after_first_write) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {-1, true};
  pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    Writer(open, first, pipe_ends[1]);
  }
  close(pipe_ends[1]);
  RoundResult result{first - 1, false};
  int64_t k;
  if (after_first_write && read(pipe_ends[0], &k, sizeof k) == sizeof k) {
    result.acknowledged_up_to = k;
  }
  std::this_thread::sleep_for(delay);
  kill(child, SIGKILL);
  while (read(pipe_ends[0], &k, sizeof k) == sizeof k) result.acknowledged_up_to = k;
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.writer_failed = !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  return result;
}

class CrashTest : public ::testing::TestWithParam<Backend> {};

TEST_P(CrashTest, EveryAcknowledgedWriteSurvivesAKilledWriter) {
  if (GetParam() == Backend::kPostgres && ServerUrl().empty()) {
    GTEST_SKIP() << "TALVERO_PG_URL names no server";
  }
  FreshStore store(GetParam());
  // Connecting to a server takes longer than opening a file: its writer is given more time.
  const int most_delay_us = GetParam() == Backend::kSqlite ? 40000 : 120000;
  const int rounds = Rounds(8, GetParam() == Backend::kSqlite ? 400 : 150);
  std::mt19937 random(20261206);
  int64_t next = 0, acknowledged = 0, lost = 0, damaged = 0, half_written = 0,
          unacknowledged_kept = 0;
  std::vector<std::pair<int64_t, int64_t>> acknowledged_ranges;  // first and last of each round
  for (int round = 0; round < rounds; ++round) {
    // The first round is often killed while the store is being created.
    auto delay = std::chrono::microseconds(random() % (round == 0 ? 3000 : most_delay_us));
    // The child makes its own connection: nothing of the parent's crosses the fork.
    RoundResult result = RunRound([&store] { return store.Open(); }, next, delay, round % 4 == 3);
    ASSERT_FALSE(result.writer_failed) << "the writer stopped on an error in round " << round;

    acknowledged += result.acknowledged_up_to - next + 1;
    acknowledged_ranges.emplace_back(next, result.acknowledged_up_to);
    std::shared_ptr<store::Store> db = store.Open();
    for (auto [first, last] : acknowledged_ranges) {
      for (int64_t k = first; k <= last; ++k) {
        for (const std::string& id : IdsOf(k)) {
          std::optional<std::string> text = db->GetRecord("RUBSAISIE", id);
          if (!text)
            ++lost;
          else if (*text != TextOf(id))
            ++damaged;
        }
      }
    }
    // The write under way when the writer died: all of it or nothing.
    int present = 0;
    std::vector<std::string> in_flight = IdsOf(result.acknowledged_up_to + 1);
    for (const std::string& id : in_flight) {
      std::optional<std::string> text = db->GetRecord("RUBSAISIE", id);
      if (text && *text != TextOf(id)) ++damaged;
      present += text.has_value();
    }
    if (present != 0 && present != static_cast<int>(in_flight.size())) ++half_written;
    if (present > 0) ++unacknowledged_kept;
    // SQLite's integrity check and the store's own (attribute 1 copies, journal ends) alike.
    std::vector<std::string> problems = db->IntegrityProblems();
    ASSERT_TRUE(problems.empty()) << "round " << round << ": " << problems.front();
    db.reset();
    // A write that reached the disk unacknowledged is not written again: the next writer goes on.
    next = result.acknowledged_up_to + 2;
  }
  EXPECT_EQ(0, lost);
  EXPECT_EQ(0, damaged);
  EXPECT_EQ(0, half_written);
  EXPECT_GT(acknowledged, 0) << "the writer acknowledged nothing";
  Report("crash-" + BackendName(GetParam()),
         "rounds=" + std::to_string(rounds) +
             " acknowledged_writes=" + std::to_string(acknowledged) +
             " unacknowledged_found_whole=" + std::to_string(unacknowledged_kept) +
             " lost=" + std::to_string(lost) + " damaged=" + std::to_string(damaged) +
             " half_written=" + std::to_string(half_written));
}

INSTANTIATE_TEST_SUITE_P(Backends, CrashTest,
                         ::testing::Values(Backend::kSqlite, Backend::kPostgres));

}  // namespace
}  // namespace talvero::reliability
