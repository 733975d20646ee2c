// Every input that once broke a fuzz target, fed again through the same target body.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_targets.h"
#include "support/temp_dir.h"

namespace rostrel::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Inputs(const std::string& target) {
  std::vector<std::string> inputs;
  const fs::path dir = fs::path(ROSTREL_FUZZ_REGRESSIONS_DIR) / target;
  if (!fs::is_directory(dir)) return inputs;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
      files.push_back(entry);
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return inputs;
}

const uint8_t* Data(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(FuzzRegressions, ReadClubs) {
  for (const std::string& input : Inputs("read_clubs")) ReadClubsOne(Data(input), input.size());
}

TEST(FuzzRegressions, ParseAthletes) {
  for (const std::string& input : Inputs("parse_athletes"))
    ParseAthletesOne(Data(input), input.size());
}

TEST(FuzzRegressions, RewriteEntries) {
  for (const std::string& input : Inputs("rewrite_entries"))
    RewriteEntriesOne(Data(input), input.size());
}

TEST(FuzzRegressions, Unpack) {
  const auto saved = ShellZipPause();
  SetShellZipPause(std::chrono::milliseconds(0));
  testing::TempDir work;
  for (const std::string& input : Inputs("unpack")) UnpackOne(Data(input), input.size(), work.fs());
  SetShellZipPause(saved);
}

}  // namespace
}  // namespace rostrel::fuzz
