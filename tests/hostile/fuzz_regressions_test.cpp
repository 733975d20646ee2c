// Every input that once broke a fuzz target, fed again through the same target body.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_targets.h"
#include "support/temp_dir.h"

namespace rostrel::fuzz {
namespace {

namespace fs = std::filesystem;

struct Input {
  std::string name;
  std::string bytes;
};

std::vector<Input> Inputs(const std::string& target) {
  std::vector<Input> inputs;
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
    inputs.push_back({file.filename().string(), std::string(std::istreambuf_iterator<char>(in),
                                                            std::istreambuf_iterator<char>())});
  }
  return inputs;
}

// Runs the body over each kept input in a child process, so that an input that still breaks
// a rule (an abort) is reported by name and the other inputs run all the same.
template <class Body>
void RunAll(const std::string& target, Body body) {
  ::testing::FLAGS_gtest_death_test_style = "fast";
  const std::vector<Input> inputs = Inputs(target);
  ASSERT_FALSE(inputs.empty()) << "no kept input in " << ROSTREL_FUZZ_REGRESSIONS_DIR << "/"
                               << target;
  for (const Input& input : inputs) {
    SCOPED_TRACE(target + "/" + input.name);
    const auto* data = reinterpret_cast<const uint8_t*>(input.bytes.data());
    EXPECT_EXIT(
        {
          body(data, input.bytes.size());
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

TEST(FuzzRegressions, ReadClubs) { RunAll("read_clubs", ReadClubsOne); }

TEST(FuzzRegressions, ParseAthletes) { RunAll("parse_athletes", ParseAthletesOne); }

TEST(FuzzRegressions, RewriteEntries) { RunAll("rewrite_entries", RewriteEntriesOne); }

TEST(FuzzRegressions, Unpack) {
  testing::TempDir work;
  RunAll("unpack", [&](const uint8_t* data, size_t size) { UnpackOne(data, size, work.fs()); });
}

}  // namespace
}  // namespace rostrel::fuzz
