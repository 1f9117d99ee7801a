// libFuzzer entry point of the record fuzz target (built by `make reliability` when clang is
// there).
#include "tests/reliability/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  talvero::reliability::FuzzRecordText(data, size);
  return 0;
}
