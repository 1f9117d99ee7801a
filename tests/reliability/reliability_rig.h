#pragma once
// Helpers of the reliability suite, gathered here: how long to run (short under ctest, long under
// `make reliability`), a database double that makes writes fail on demand and counts them, a dump
// of a whole store, what makes an entry item unreadable, a display that answers questions at
// random, and the figures each test reports. Fresh stores of either backend come from
// store/test_notation.h.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "gateways/dba.h"
#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "screen/display.h"
#include "store/store.h"

namespace talvero::reliability {

// TALVERO_LONG=1 (set by `make reliability`) selects the long form of every test.
inline bool LongRun() {
  const char* value = std::getenv("TALVERO_LONG");
  return value && std::string(value) == "1";
}
inline int Rounds(int short_form, int long_form) {
  return LongRun() ? long_form : short_form;
}

// One line of figures on stdout, which `make reliability` keeps: "reliability: crash rounds=..".
inline void Report(const std::string& test, const std::string& figures) {
  std::printf("reliability: %s %s\n", test.c_str(), figures.c_str());
  std::fflush(stdout);
}

// Every record of every file, "FILE/id=text" one per line, in byte order.
inline std::string Dump(store::Store& db) {
  std::string dump;
  for (const std::string& file : db.Files()) {
    int32_t count = 0;
    DynArrayPtr ids =
        db.DBQuery(std::string("SSELECT ") + file + kAttrMark + file + kAttrMark + "0", "", count);
    for (int i = 1; i <= ids->DCount(); ++i) {
      dump += file + "/" + ids->Get(i) + "=" + db.GetRecord(file, ids->Get(i)).value_or("?") + "\n";
    }
  }
  return dump;
}

// The attributes of a RUBSAISIE record's text: 0 (empty: the id is not in the text) to 24 at least.
inline std::vector<std::string> ItemAttributes(std::string_view text) {
  std::vector<std::string> attrs(2);
  for (char ch : text) {
    if (ch == kAttrMark)
      attrs.emplace_back();
    else
      attrs.back().push_back(ch);
  }
  if (attrs.size() < 25) attrs.resize(25);
  return attrs;
}

// What makes the entry item unreadable by the screen's loader, "" when nothing does: an id that is
// not a code, an attribute beyond 24, a code, check box or number that is not one of its kind, a
// detail that is not a list of codes. The hours type, the check boxes of 20 to 22 and the numbers
// may be empty, as in older records.
inline std::string UnreadableItem(std::string_view id, std::string_view text) {
  const std::vector<std::string> attrs = ItemAttributes(text);
  const std::string item = "RUBSAISIE " + std::string(id);
  if (id.size() != 3 || id.find_first_not_of("0123456789") != std::string_view::npos ||
      attrs.size() > 25)
    return item + " layout";
  // The highest code of each attribute read as a number; -1 for a number of any size.
  constexpr std::array<std::pair<int, int>, 13> kHighest = {{{2, 6},
                                                             {4, 1},
                                                             {6, 4},
                                                             {7, -1},
                                                             {8, 4},
                                                             {9, -1},
                                                             {10, 2},
                                                             {11, -1},
                                                             {19, 2},
                                                             {20, 1},
                                                             {21, 1},
                                                             {22, 1},
                                                             {23, 1}}};
  for (const auto& [attr, top] : kHighest) {
    const std::string& v = attrs[attr];
    const size_t from = top < 0 && !v.empty() && v[0] == '-' ? 1 : 0;
    const bool readable =
        top < 0 ? v.size() > from && v.find_first_not_of("0123456789", from) == std::string::npos
                : v.size() == 1 && v[0] >= '0' && v[0] <= '0' + top;
    if (!readable && !(v.empty() && (top < 0 || (attr >= 19 && attr <= 22))))
      return item + " attribute " + std::to_string(attr) + " is \"" + v + "\"";
  }
  if (attrs[14] != "" && attrs[14] != "I" && attrs[14] != "R")
    return item + " detail direction \"" + attrs[14] + "\"";
  for (size_t at = 0; at < attrs[15].size(); at += 4)
    if (attrs[15].substr(at, 3).find_first_not_of("0123456789") != std::string::npos ||
        attrs[15].size() < at + 3 || (at + 3 < attrs[15].size() && attrs[15][at + 3] != kValueMark))
      return item + " detail \"" + attrs[15] + "\"";
  return "";
}

// How the injected writes fail: the two failures a full disk and a read-only file give SQLite.
enum class WriteFault { kNone, kDiskFull, kReadOnly };

// A database whose writes fail on demand, after `writes_before_fault` more writes have gone
// through, and which counts every write tried (in the manner of an environment double that
// injects errors into the files of a key-value store). Reads and queries reach the store as they
// are; records handed out stay bound to this double, so that DBWrite comes here first.
class InjectingDatabase : public DBADatabase {
 public:
  explicit InjectingDatabase(std::shared_ptr<DBADatabase> store) : store_(std::move(store)) {}

  void Fail(WriteFault fault, int writes_before_fault = 0) {
    fault_ = fault;
    writes_before_fault_ = writes_before_fault;
  }
  int WritesTried() const { return writes_tried_; }

  std::shared_ptr<DBAFile> DBOpen(const std::string& file) override;
  DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                      int32_t& count) override {
    return store_->DBQuery(request, options, count);
  }
  void DBTransaction(const std::function<void()>& body) override { store_->DBTransaction(body); }

  // Called before each write: raises the fault when it is due.
  void BeforeWrite() {
    ++writes_tried_;
    if (fault_ == WriteFault::kNone) return;
    if (writes_before_fault_ > 0) {
      --writes_before_fault_;
      return;
    }
    throw ComponentError(kErrStorage, fault_ == WriteFault::kDiskFull
                                          ? "Erreur de la base d'enregistrements (écriture) : "
                                            "database or disk is full"
                                          : "Erreur de la base d'enregistrements (écriture) : "
                                            "attempt to write a readonly database");
  }

 private:
  std::shared_ptr<DBADatabase> store_;
  WriteFault fault_ = WriteFault::kNone;
  int writes_before_fault_ = 0;
  int writes_tried_ = 0;
};

class InjectingFile : public DBAFile,
                      public RecordSink,
                      public std::enable_shared_from_this<InjectingFile> {
 public:
  InjectingFile(InjectingDatabase& db, std::shared_ptr<DBAFile> file)
      : db_(db), file_(std::move(file)) {}
  const std::string& Name() const override { return file_->Name(); }
  DynArrayPtr DBRead(const std::string& id) override { return Rebound(file_->DBRead(id), id); }
  DynArrayPtr DBRecord(const std::string& id) override { return Rebound(file_->DBRecord(id), id); }
  bool DBInsert(const std::string& id, const std::string& text) override {
    db_.BeforeWrite();
    return file_->DBInsert(id, text);
  }
  void WriteRecord(const std::string& id, const std::string& text) override {
    db_.BeforeWrite();
    DynArrayPtr record = file_->DBRecord(id);
    record->Set(text);
    record->DBWrite();
  }

 private:
  DynArrayPtr Rebound(DynArrayPtr record, const std::string& id) {
    record->Bind(shared_from_this(), id);
    return record;
  }
  InjectingDatabase& db_;
  std::shared_ptr<DBAFile> file_;
};

inline std::shared_ptr<DBAFile> InjectingDatabase::DBOpen(const std::string& file) {
  return std::make_shared<InjectingFile>(*this, store_->DBOpen(file));
}

// A headless display that answers every question with one of its own buttons, drawn at random,
// and notes each answer (as the replay tool's `answer` would give it) in `answers`.
class AnsweringDisplay : public screen::HeadlessDisplay {
 public:
  AnsweringDisplay(std::mt19937& random, std::vector<std::string>& answers)
      : random_(random), answers_(answers) {}
  int MessageBox(const std::string& text, int style, const std::string& title) override {
    int buttons = style & 7;
    if (buttons == screen::kStyleYesNo || buttons == screen::kStyleYesNoCancel) {
      const int choices[] = {screen::kAnswerYes, screen::kAnswerNo, screen::kAnswerCancel};
      int answer = choices[random_() % (buttons == screen::kStyleYesNo ? 2 : 3)];
      answers_.push_back(std::to_string(answer));
      QueueAnswer(answer);
    }
    return HeadlessDisplay::MessageBox(text, style, title);
  }

 private:
  std::mt19937& random_;
  std::vector<std::string>& answers_;
};

}  // namespace talvero::reliability
