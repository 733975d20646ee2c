// The sample files from examples/ taken through the whole core: the database is unpacked and
// read, its athletes listed, and its clubs section pasted into the entries file, which is then
// opened again to find the expected document inside it.

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/shell_zip.h"
#include "archive/unpack_lxf.h"
#include "athletes/open_action.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "common/fileops.h"
#include "entries/paste_action.h"
#include "support/fake_prompter.h"
#include "support/sample_documents.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using namespace testing::samples;
using testing::TempDir;
namespace fs = std::filesystem;

std::string SamplePath(const std::string& name) {
  return std::string(ROSTREL_EXAMPLES_DIR) + "/" + name;
}
std::string DatabaseName(const Encoding& e) { return std::string("baza-") + e.suffix + ".lxf"; }
std::string EntriesName(const Encoding& e) {
  return std::string("zgloszenie-") + e.suffix + ".lxf";
}

struct Member {
  std::string name;
  std::string bytes;
  bool operator==(const Member&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Member& m) {
  return os << m.name << " (" << m.bytes.size() << " bytes)";
}

std::vector<Member> OnlyMember(std::string name, std::string bytes) {
  return {Member{std::move(name), std::move(bytes)}};
}

// Every member of a ZIP archive, read with libzip directly.
std::vector<Member> ReadArchive(const std::string& path) {
  int error = 0;
  std::unique_ptr<zip_t, decltype(&zip_discard)> archive(
      zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error), &zip_discard);
  if (!archive) {
    ADD_FAILURE() << "libzip cannot open " << path << ": error " << error;
    return {};
  }
  std::vector<Member> members;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(
        zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0), &zip_fclose);
    if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !file) {
      ADD_FAILURE() << "libzip cannot read member " << i << " of " << path;
      return members;
    }
    Member member{stat.name, std::string(static_cast<size_t>(stat.size), '\0')};
    if (zip_fread(file.get(), member.bytes.data(), stat.size) !=
        static_cast<zip_int64_t>(stat.size)) {
      ADD_FAILURE() << "short read of " << stat.name << " in " << path;
    }
    members.push_back(std::move(member));
  }
  return members;
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  FileError err;
  EXPECT_TRUE(fileops::ReadFile(path, bytes, err)) << path << ": " << Describe(err);
  return bytes;
}

// The names in a directory, sorted: what a user would see there.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(fileops::FsPath(dir)))
    names.push_back(fileops::Utf8(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// The sample files hold the documents that the tests below expect; if this fails, the samples
// and the test have drifted apart, not the core.
class SampleFiles : public ::testing::TestWithParam<Encoding> {};

TEST_P(SampleFiles, HoldTheDocumentsTheTestsExpect) {
  const Encoding& e = GetParam();
  EXPECT_EQ(ReadArchive(SamplePath(DatabaseName(e))), OnlyMember("baza.lef", Database(e)));
  EXPECT_EQ(ReadArchive(SamplePath(EntriesName(e))), OnlyMember("zawody.lef", Entries(e)));
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
    dbDir_ = temp_.path() + "baza zawodników/";
    entriesDir_ = temp_.path() + "zgłoszenie na zawody/";
    fs::create_directory(fileops::FsPath(dbDir_));
    fs::create_directory(fileops::FsPath(entriesDir_));
    dbFile_ = dbDir_ + DatabaseName(GetParam().database);
    entriesFile_ = entriesDir_ + EntriesName(GetParam().entries);
    fs::copy_file(fileops::FsPath(SamplePath(DatabaseName(GetParam().database))),
                  fileops::FsPath(dbFile_));
    fs::copy_file(fileops::FsPath(SamplePath(EntriesName(GetParam().entries))),
                  fileops::FsPath(entriesFile_));
  }
  void TearDown() override { SetShellZipPause(savedPause_); }

  // Pastes into the entries file and checks the prompts, the folder and the new archive.
  void PasteAndCheck(const std::string& clubsText, const std::string& clubsEncoding) {
    FakePrompter prompter;
    prompter.picks = {entriesFile_};
    FileDialogSettings comIN;
    EXPECT_TRUE(PasteEntries(prompter, comIN, dbFile_, clubsText, clubsEncoding));

    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0], testing::Confirmation());
    EXPECT_EQ(prompter.messages[1], testing::PasteDone(entriesFile_));

    // No unpacked document, no ".zip" copy and no ".ZIP" archive is left behind.
    EXPECT_EQ(Listing(entriesDir_), std::vector<std::string>{EntriesName(GetParam().entries)});
    EXPECT_EQ(ReadArchive(entriesFile_), OnlyMember("zawody.lef", Pasted(GetParam().entries)));
  }

  void ExpectDatabaseUntouched() {
    EXPECT_EQ(Listing(dbDir_), std::vector<std::string>{DatabaseName(GetParam().database)});
    EXPECT_EQ(ReadBytes(dbFile_), ReadBytes(SamplePath(DatabaseName(GetParam().database))));
  }

  TempDir temp_{"rostrel-examples"};
  std::string dbDir_, entriesDir_, dbFile_, entriesFile_;
  std::chrono::milliseconds savedPause_{};
};

TEST_P(EndToEnd, ReadsTheDatabaseAndPastesItsClubsIntoTheEntriesFile) {
  const Encoding& db = GetParam().database;
  FakePrompter prompter;

  ASSERT_TRUE(DirectoryPreCheck(prompter, dbFile_));
  UnpackedFiles files;
  const UnpackResult unpacked = UnpackLxf(prompter, dbFile_, files);
  ASSERT_EQ(unpacked.kind, UnpackResult::DocumentFound);
  EXPECT_EQ(unpacked.documentPath, dbDir_ + "baza.lef");

  const ClubsReading reading = ReadClubs(prompter, unpacked.documentPath);
  ASSERT_EQ(reading.kind, ClubsReading::Read);
  EXPECT_EQ(reading.clubsText, ClubsText(db));
  EXPECT_EQ(reading.encoding, db.declared);
  EXPECT_EQ(reading.athleteLines, AthleteLines(db));
  EXPECT_EQ(ParseAthletes(reading.athleteLines, reading.encoding), kDisplayLines);
  EXPECT_EQ(prompter.messages.size(), 0u);
  ExpectDatabaseUntouched();

  PasteAndCheck(reading.clubsText, reading.encoding);
  // A second paste replaces the clubs section that the first one put in; nothing is doubled.
  PasteAndCheck(reading.clubsText, reading.encoding);
  ExpectDatabaseUntouched();
}

// The same through the two actions as the window calls them, sharing one dialog.
TEST_P(EndToEnd, OpenThenPasteAsTheWindowDoes) {
  FakePrompter prompter;
  prompter.picks = {dbFile_};
  FileDialogSettings comIN;
  const OpenOutcome opened = OpenDatabase(prompter, comIN);
  ASSERT_EQ(opened.kind, OpenOutcome::AthletesFound);
  EXPECT_EQ(opened.dbFile, dbFile_);
  EXPECT_TRUE(opened.clubsChanged);
  EXPECT_EQ(opened.clubsText, ClubsText(GetParam().database));
  EXPECT_EQ(opened.displayLines, kDisplayLines);
  EXPECT_EQ(prompter.messages.size(), 0u);
  ExpectDatabaseUntouched();

  PasteAndCheck(opened.clubsText, opened.clubsEncoding);
}

INSTANTIATE_TEST_SUITE_P(Samples, EndToEnd,
                         ::testing::Values(Pair{kCp1250, kCp1250}, Pair{kUtf8, kUtf8},
                                           Pair{kCp1250, kUtf8}, Pair{kUtf8, kCp1250}),
                         [](const auto& info) {
                           return std::string(info.param.database.suffix) + "_into_" +
                                  info.param.entries.suffix;
                         });

}  // namespace
}  // namespace rostrel
