// The sample files from examples/ taken through both actions as the window calls them, sharing
// one dialog: the database is opened and its athletes listed, and its clubs section is pasted
// twice into the entries file, which libzip then reads back to find the expected document.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/shell_zip.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel::testing {
namespace {

using namespace samples;
namespace fs = std::filesystem;

std::string DatabaseName(const Encoding& e) { return std::string("baza-") + e.suffix + ".lxf"; }
std::string EntriesName(const Encoding& e) {
  return std::string("zgloszenie-") + e.suffix + ".lxf";
}

// The archive holds `name` alone, with `bytes` in it.
void ExpectOnlyMember(const std::string& archive, const std::string& name,
                      const std::string& bytes) {
  const ArchiveContents contents = ReadArchive(archive);
  ASSERT_TRUE(contents.whole) << archive << ": " << contents.error;
  ASSERT_EQ(contents.order, std::vector<std::string>{name}) << archive;
  EXPECT_EQ(contents.members.at(name), bytes) << archive;
}

// The sample files hold the documents that the tests below expect; if this fails, the samples
// and the test have drifted apart, not the core.
class SampleFiles : public ::testing::TestWithParam<Encoding> {};

TEST_P(SampleFiles, HoldTheDocumentsTheTestsExpect) {
  const Encoding& e = GetParam();
  ExpectOnlyMember(Example(DatabaseName(e)), "baza.lef", Database(e));
  ExpectOnlyMember(Example(EntriesName(e)), "zawody.lef", Entries(e));
}

INSTANTIATE_TEST_SUITE_P(Encodings, SampleFiles, ::testing::Values(kCp1250, kUtf8),
                         [](const auto& info) { return std::string(info.param.suffix); });

struct Pair {
  Encoding database;
  Encoding entries;
};
void PrintTo(const Pair& p, std::ostream* os) {
  *os << p.database.suffix << " database, " << p.entries.suffix << " entries file";
}

// Copies the chosen database and entries file into folders of their own, with Polish letters
// and blanks in the folder names as users have them.
class EndToEnd : public ::testing::TestWithParam<Pair> {
 protected:
  void SetUp() override {
    savedPause_ = ShellZipPause();
    SetShellZipPause(std::chrono::milliseconds(0));
    fileops::ResetFaults();
    fs::create_directory(fileops::FsPath(dbDir_));
    fs::create_directory(fileops::FsPath(entriesDir_));
    WriteBytes(dbFile_, ReadBytes(Example(DatabaseName(GetParam().database))));
    WriteBytes(entriesFile_, ReadBytes(Example(EntriesName(GetParam().entries))));
  }
  void TearDown() override { SetShellZipPause(savedPause_); }

  // Pastes into the entries file and checks the prompts, the folder and the new archive.
  void PasteAndCheck(const ClubsSection& clubs) {
    FakePrompter prompter;
    prompter.picks = {entriesFile_};
    EXPECT_TRUE(PasteEntries(prompter, comIN_, dbFile_, clubs));
    EXPECT_EQ(prompter.messages, (std::vector<Shown>{Confirmation(), PasteDone(entriesFile_)}));
    // No unpacked document and no ".ZIP" archive is left behind.
    EXPECT_EQ(Listing(fileops::FsPath(entriesDir_)),
              std::vector<std::string>{EntriesName(GetParam().entries)});
    ExpectOnlyMember(entriesFile_, "zawody.lef", Pasted(GetParam().entries));
  }

  void ExpectDatabaseUntouched() {
    EXPECT_EQ(Listing(fileops::FsPath(dbDir_)),
              std::vector<std::string>{DatabaseName(GetParam().database)});
    EXPECT_EQ(ReadBytes(dbFile_), ReadBytes(Example(DatabaseName(GetParam().database))));
  }

  TempDir temp_{"rostrel-examples"};
  const std::string dbDir_ = temp_.path() + "baza zawodników/";
  const std::string entriesDir_ = temp_.path() + "zgłoszenie na zawody/";
  const std::string dbFile_ = dbDir_ + DatabaseName(GetParam().database);
  const std::string entriesFile_ = entriesDir_ + EntriesName(GetParam().entries);
  FileDialogSettings comIN_;
  std::chrono::milliseconds savedPause_{};
};

TEST_P(EndToEnd, OpenThenPasteTwiceAsTheWindowDoes) {
  const Encoding& db = GetParam().database;
  FakePrompter prompter;
  prompter.picks = {dbFile_};
  const OpenOutcome opened = OpenDatabase(prompter, comIN_);
  ASSERT_EQ(opened.kind, OpenOutcome::AthletesFound);
  EXPECT_EQ(opened.dbFile, dbFile_);
  EXPECT_TRUE(opened.clubsChanged);
  EXPECT_EQ(opened.clubs.text, ClubsText(db));
  EXPECT_EQ(opened.clubs.encoding, db.declared);
  EXPECT_EQ(opened.displayLines, kDisplayLines);
  EXPECT_EQ(prompter.messages, std::vector<Shown>{});
  ExpectDatabaseUntouched();

  PasteAndCheck(opened.clubs);
  // A second paste replaces the clubs section that the first one put in; nothing is doubled.
  PasteAndCheck(opened.clubs);
  ExpectDatabaseUntouched();
}

INSTANTIATE_TEST_SUITE_P(Samples, EndToEnd,
                         ::testing::Values(Pair{kCp1250, kCp1250}, Pair{kUtf8, kUtf8},
                                           Pair{kCp1250, kUtf8}, Pair{kUtf8, kCp1250}),
                         [](const auto& info) {
                           return std::string(info.param.database.suffix) + "_into_" +
                                  info.param.entries.suffix;
                         });

}  // namespace
}  // namespace rostrel::testing
