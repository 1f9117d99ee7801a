#pragma once
// Test helpers of the host and the component runtime. Each test program runs with XDG_CONFIG_HOME
// and XDG_DATA_HOME inside its own scratch folder (set by ctest), emptied when a test starts, so
// that no test ever reads or writes the user's own class registry or demo store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace talvero::host {

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = TALVERO_TEST_SCRATCH;
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    // Run by hand, the program still keeps away from the user's own folders.
    setenv("XDG_CONFIG_HOME", (scratch_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (scratch_ / "data").c_str(), 1);
  }
  std::filesystem::path scratch_;
};

}  // namespace talvero::host
