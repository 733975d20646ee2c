// Every input that once broke a fuzz target, fed again through the same target body, which
// checks the rules for any input; each input's own outcome is written out below.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "fuzz/fuzz_targets.h"
#include "support/temp_dir.h"

namespace rostrel::fuzz {
namespace {

namespace fs = std::filesystem;

// What each kept input, by target and file name, comes to: the words its target body returns.
// Invalid UTF-8 is shown as U+FFFD; a database that declares UTF-16, an encoding the program does
// not handle, shows its bytes as UTF-8 would.
const std::map<std::string, std::string> kOutcomes = {
    {"read_clubs/declared-utf16-database",
     "read as UTF-16\n1 \xEF\xBB\xBFNowak \xEF\xBF\xBD\xEF\xBF\xBDJan 2000-01-01"},
    {"parse_athletes/utf16-byte-order-mark-between-lines",
     "as UTF-16\n  \xEF\xBF\xBD\xEF\xBF\xBD \n   02"},
    {"parse_athletes/invalid-utf8-in-value", "as UTF-8\n\xEF\xBF\xBD   "},
    {"rewrite_entries/declared-utf16",
     "refused\nDokument LEF w pliku zgłoszenia jest w kodowaniu znaków UTF-16, którego program "
     "nie obsługuje. Poproś organizatora zawodów o plik zgłoszenia w kodowaniu UTF-8 albo "
     "Windows-1250. Operacja anulowana, plik zgłoszenia nie został zmieniony."},
    {"unpack/zero-bytes", "refused\nnieprawidłowe lub uszkodzone archiwum ZIP"},
    {"unpack/member-outside-the-folder", "refused\nNiedozwolona nazwa w archiwum: ../poza.lef"},
};

// Runs the body over each kept input in a child process, so that an input that still breaks
// a rule (an abort) is reported by name and the other inputs run all the same. An input whose
// outcome is not written out fails, and so does an outcome whose input is gone.
template <class Body>
void RunAll(const std::string& target, Body body) {
  ::testing::FLAGS_gtest_death_test_style = "fast";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(ROSTREL_FUZZ_REGRESSIONS_DIR) / target))
    files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<std::string> stated;
  for (const auto& [name, outcome] : kOutcomes)
    if (name.starts_with(target + "/")) stated.push_back(name);
  std::vector<std::string> kept;
  for (const fs::path& file : files) {
    const std::string name = target + "/" + file.filename().string();
    kept.push_back(name);
    SCOPED_TRACE(name);
    const auto outcome = kOutcomes.find(name);
    if (outcome == kOutcomes.end()) continue;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EXIT(
        {
          const std::string got =
              body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
          if (got == outcome->second) std::_Exit(0);
          std::fprintf(stderr, "the outcome was:\n%s\n", got.c_str());
          std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
  }
  EXPECT_EQ(kept, stated) << "every kept input, and only those, has its outcome written out";
}

TEST(FuzzRegressions, ReadClubs) { RunAll("read_clubs", ReadClubsOne); }

TEST(FuzzRegressions, ParseAthletes) { RunAll("parse_athletes", ParseAthletesOne); }

TEST(FuzzRegressions, RewriteEntries) { RunAll("rewrite_entries", RewriteEntriesOne); }

TEST(FuzzRegressions, Unpack) {
  testing::TempDir work;
  RunAll("unpack",
         [&](const uint8_t* data, size_t size) { return UnpackOne(data, size, work.fs()); });
}

}  // namespace
}  // namespace rostrel::fuzz
