// Parses arbitrary athlete start lines in an encoding picked by the first byte.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rostrel::fuzz::ParseAthletesOne(data, size);
  return 0;
}
