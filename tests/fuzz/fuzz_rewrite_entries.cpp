// Rewrites arbitrary bytes as an entries document with a fixed clubs section.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rostrel::fuzz::RewriteEntriesOne(data, size);
  return 0;
}
