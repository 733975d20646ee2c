// Unusual paths through both actions: a folder that does not exist, a read-only folder, Polish
// letters and blanks in folder and file names, long paths, and the root of a drive.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <system_error>

#include "archive/unpack_lxf.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;

// Puts the sample database and entries file at the given paths, creating their folders.
void PlaceSamples(const std::string& database, const std::string& entries) {
  fs::create_directories(fileops::FsPath(database).parent_path());
  fs::create_directories(fileops::FsPath(entries).parent_path());
  WriteBytes(database, ReadBytes(Example("baza-cp1250.lxf")));
  WriteBytes(entries, ReadBytes(Example("zgloszenie-utf8.lxf")));
}

// Opens the database and pastes its clubs into the entries file, as the user does; checks that
// both went through and that only the two files remain.
void OpenAndPaste(const TempDir& root, const std::string& database, const std::string& entries) {
  const OpenRun opened = OpenThrough(database);
  ASSERT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound)
      << ::testing::PrintToString(opened.shown);
  EXPECT_EQ(opened.outcome.dbFile, database);
  EXPECT_EQ(opened.outcome.clubsEncoding, "Windows-1250");

  const Clubs clubs{opened.outcome.clubsText, opened.outcome.clubsEncoding};
  const PasteRun pasted = PasteThrough(entries, clubs, database);
  EXPECT_TRUE(pasted.replaced);
  EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), PasteDone(entries)}));
  const ArchiveContents now = ReadArchive(entries);
  ASSERT_TRUE(now.whole) << now.error;
  EXPECT_EQ(now.members.at("zawody.lef"), SamplePasted());

  std::vector<std::string> files;
  for (const auto& [name, content] : Snapshot(root.fs()))
    if (content != "<folder>") files.push_back(root.path() + name);
  EXPECT_EQ(files,
            (std::vector<std::string>{std::min(database, entries), std::max(database, entries)}));
}

// Runs `check` with an ordinary user's rights: as root in a child that has become "nobody"
// (see AsOrdinaryUser), where the failed expectations are collected to be reported; otherwise,
// and on Windows, as it stands.
template <class Check>
void WithUsersRights(Check check) {
#ifdef _WIN32
  check();
#else
  AsOrdinaryUser([&] {
    ::testing::TestPartResultArray failures;
    {
      const ::testing::ScopedFakeTestPartResultReporter collect(&failures);
      check();
    }
    std::string failed;
    for (int i = 0; i < failures.size(); ++i)
      failed += failures.GetTestPartResult(i).message() + std::string("\n");
    return failed;
  });
#endif
}

class BadPaths : public ::testing::Test {};

TEST_F(BadPaths, FolderThatDoesNotExist) {
  TempDir root;
  const std::string missing = root.path() + "nie ma/baza.lxf";
  const Shown notUnpacked =
      UnpackFailed("plik lub katalog nie istnieje: " + root.path() + "nie ma/");

  const OpenRun opened = OpenThrough(missing);
  EXPECT_EQ(opened.outcome.kind, OpenOutcome::Ended);
  EXPECT_EQ(opened.shown, std::vector<Shown>{notUnpacked});

  const PasteRun pasted = PasteThrough(missing, SampleClubs());
  EXPECT_FALSE(pasted.replaced);
  EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), notUnpacked}));
  EXPECT_TRUE(Snapshot(root.fs()).empty());
}

// A database marked read-only (as files from a CD or a mail attachment may be) opens and is
// read where it lies. Root may write a read-only file, so root checks it as an ordinary user, in
// a folder that user may write.
TEST_F(BadPaths, ReadOnlyDatabase) {
  TempDir root;
  const std::string database = root.file("baza.lxf"), entries = root.file("zgloszenie.lxf");
  PlaceSamples(database, entries);
  fs::permissions(fileops::FsPath(database),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  fs::permissions(root.fs(), fs::perms::all, fs::perm_options::add);
  WithUsersRights([&] { OpenAndPaste(root, database, entries); });
  fs::permissions(fileops::FsPath(database), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(BadPaths, ReadOnlyFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows ignores the read-only mark of a folder";
#endif
  TempDir root;
  const std::string database = root.file("baza.lxf");
  WriteBytes(database, ReadBytes(Example("baza-utf8.lxf")));
  const Tree before = Snapshot(root.fs());
  fs::permissions(root.fs(), fs::perms::owner_read | fs::perms::owner_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
  WithUsersRights([&] {
    // The database's document cannot be written beside it.
    const Shown denied =
        UnpackFailed("brak uprawnień do pliku lub katalogu: " + root.file("baza.lef"));
    const OpenRun opened = OpenThrough(database);
    EXPECT_EQ(opened.outcome.kind, OpenOutcome::Ended);
    EXPECT_EQ(opened.shown, std::vector<Shown>{denied});
    const PasteRun pasted = PasteThrough(database, SampleClubs());
    EXPECT_FALSE(pasted.replaced);
    EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), denied}));
    EXPECT_EQ(Snapshot(root.fs()), before);
  });
}

TEST_F(BadPaths, PolishLettersAndBlanks) {
  TempDir root("rostrel Łódź");
  const std::string database = root.path() + "Baza zawodników/Żółć ąę śń.lxf";
  const std::string entries = root.path() + "Zawody Łódź 2027/zgłoszenie na ŚLĄSK.lxf";
  PlaceSamples(database, entries);
  OpenAndPaste(root, database, entries);
}

// The whole path is 250 characters long, in folders of ordinary length.
TEST_F(BadPaths, PathOf250Characters) {
  TempDir root;
  std::string folder = root.path();
  const std::string file = "zgloszenie.lxf";
  // Leave room for one more folder of at least one character before the file.
  while (folder.size() + 41 + 2 + file.size() <= 250) folder += std::string(40, 'k') + "/";
  folder += std::string(250 - folder.size() - file.size() - 1, 'z') + "/";
  const std::string entries = folder + file;
  ASSERT_EQ(entries.size(), 250u);
  const std::string database = root.path() + "baza/baza.lxf";
  PlaceSamples(database, entries);
  OpenAndPaste(root, database, entries);

  // The database deep down, too.
  const std::string deepDatabase = folder + "baza.lxf";
  WriteBytes(deepDatabase, ReadBytes(Example("baza-utf8.lxf")));
  EXPECT_EQ(OpenThrough(deepDatabase).outcome.kind, OpenOutcome::AthletesFound);
}

// A file name close to the system's limit of 255 bytes: the temporary names made from it are
// longer still. Names with room for them work. At 250 bytes the packer's temporary file (the
// name, ".ZIP" and a suffix of libzip's) is too long, at 255 already the new archive (".ZIP");
// the paste ends with a message that names the reason, and the file unchanged.
TEST_F(BadPaths, FileNameNearTheSystemLimit) {
#ifdef _WIN32
  // Wine reports a name too long for the disk as a file it cannot find (ERROR_FILE_NOT_FOUND),
  // which libzip passes on as ENOENT.
  const std::string tooLong = "plik lub katalog nie istnieje";
#else
  const std::string tooLong = "nazwa pliku lub ścieżka jest za długa";
#endif
  const std::string old = ReadBytes(Example("zgloszenie-utf8.lxf"));
  for (const size_t length : {200u, 240u, 250u, 255u}) {
    SCOPED_TRACE("file name of " + std::to_string(length));
    TempDir root;
    const std::string name = std::string(length - 4, 'z') + ".lxf", entries = root.file(name);
    WriteBytes(entries, old);
    const Shown outcome = length <= 240   ? PasteDone(entries)
                          : length == 250 ? ArchiveError(tooLong)
                                          : EmptyArchiveError(tooLong);

    const PasteRun pasted = PasteThrough(entries, SampleClubs());

    EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), outcome}));
    EXPECT_EQ(pasted.replaced, length <= 240);
    EXPECT_EQ(Names(Snapshot(root.fs())), std::vector<std::string>{name});
    if (!pasted.replaced) {
      EXPECT_EQ(ReadBytes(entries), old);
    }
  }
}

// A database and an entries file at the root of a drive, whose folder is "C:\": the LEF
// documents are unpacked there and taken away again.
TEST_F(BadPaths, AtTheRootOfADrive) {
#ifndef _WIN32
  GTEST_SKIP() << "POSIX has no drive letters; the root of a drive is tried under Windows";
#else
  const std::string stem = "C:\\rostrel-test-" + std::to_string(std::random_device{}());
  const std::string database = stem + "-baza.lxf", entries = stem + "-zgloszenie.lxf";
  const auto listRoot = [] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fileops::FsPath("C:\\")))
      names.push_back(fileops::Utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = listRoot();
  FileError err;
  if (!fileops::WriteFile(database, ReadBytes(Example("baza-cp1250.lxf")), err))
    GTEST_SKIP() << "C:\\ cannot be written here: " << Describe(err);
  WriteBytes(entries, ReadBytes(Example("zgloszenie-utf8.lxf")));

  const OpenRun opened = OpenThrough(database);
  EXPECT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound)
      << ::testing::PrintToString(opened.shown);
  const PasteRun pasted =
      PasteThrough(entries, {opened.outcome.clubsText, opened.outcome.clubsEncoding}, database);
  EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), PasteDone(entries)}));
  EXPECT_EQ(ReadArchive(entries).members.at("zawody.lef"), SamplePasted());

  fs::remove(fileops::FsPath(database));
  fs::remove(fileops::FsPath(entries));
  EXPECT_EQ(listRoot(), before);
#endif
}

}  // namespace
}  // namespace rostrel::testing
