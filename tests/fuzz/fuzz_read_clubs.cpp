// Reads arbitrary bytes as a database's LEF document.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rostrel::fuzz::ReadClubsOne(data, size);
  return 0;
}
