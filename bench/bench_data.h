#pragma once
// The data the benchmarks run on: a catalogue of 999 entry items and a chart of accounts of any
// size, written once into a store file and into a bare SQLite file (the floor) under a cache
// folder, so that a second run starts at once.
//
// Accounts: id = accounting prefix "001" + a ten-digit number spread over the whole range;
// attribute 1 a label of two words and a five-letter code ("CHARGES SOCIALES QJZKR"), attribute 2
// the account's class. Items: ids "001" to "999", the record layout of the screen, one in fifty
// marked deleted.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace talvero::bench {

inline const std::string kAccountPrefix = "001";

std::string AccountId(int64_t i);
std::string AccountLabel(int64_t i);
std::string AccountText(int64_t i);  // whole text of account i

std::string ItemId(int i);  // 1 to 999
std::string ItemLabel(int i);
std::string ItemText(int i);     // whole text of item i
std::string ItemDeleted(int i);  // attribute 18: "1" or ""
// The settings record "999" of COMPTEUR: the counter at 041 and the accounting prefix.
std::string SettingsText();

// Paths of the two files holding `accounts` accounts, built when missing (in a child process, so
// that the memory of the loading never counts against the benchmarks).
struct DataSet {
  int64_t accounts = 0;
  std::string store_path;
  std::string floor_path;
};
DataSet EnsureDataSet(const std::string& folder, int64_t accounts);

// Typed digits and a label prefix that select about a hundred accounts at any chart size.
std::string NumberPrefixFor(int64_t accounts);
std::string LabelPrefixFor(int64_t accounts);

}  // namespace talvero::bench
