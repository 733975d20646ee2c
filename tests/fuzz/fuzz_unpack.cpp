// Unpacks arbitrary bytes as an LXF archive into a folder of its own.
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

namespace {

std::filesystem::path g_work;

void RemoveWork() {
  std::error_code ec;
  std::filesystem::remove_all(g_work, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  rostrel::SetShellZipPause(std::chrono::milliseconds(0));
  g_work = std::filesystem::temp_directory_path() /
           ("rostrel-fuzz-unpack-" + std::to_string(::getpid()));
  std::filesystem::create_directories(g_work);
  std::atexit(RemoveWork);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rostrel::fuzz::UnpackOne(data, size, g_work);
  return 0;
}
