// Unusual paths through both actions: a folder that does not exist, a read-only folder, Polish
// letters and blanks in folder and file names, long paths, and the root of a drive.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>
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

// The refusal of a folder whose path is too long for the system.
Shown PathTooLong(const std::string& folder) {
  return Stop(
      "Ścieżka katalogu pliku LXF jest za długa, by program mógł w nim zapisać swoje pliki:\r\n" +
      folder +
      "\r\nPrzenieś pliki LXF do katalogu o krótszej ścieżce (bliżej początku dysku) i spróbuj "
      "ponownie.");
}

// Opens the database and pastes its clubs into the entries file, as the user does; checks that
// both went through and that only the two files remain.
void OpenAndPaste(const TempDir& root, const std::string& database, const std::string& entries) {
  const OpenRun opened = OpenThrough(database);
  ASSERT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound)
      << ::testing::PrintToString(opened.shown);
  EXPECT_EQ(opened.outcome.dbFile, database);
  EXPECT_EQ(opened.outcome.clubs.encoding, "Windows-1250");

  const Clubs clubs = opened.outcome.clubs;
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
  fs::permissions(fileops::FsPath(entries), fs::perms::all, fs::perm_options::add);
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
  fs::permissions(fileops::FsPath(database), fs::perms::all, fs::perm_options::add);
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
  const std::string database = root.path() + "Baza zawodników – ŻAK/Żółć ąę śń.lxf";
  const std::string entries = root.path() + "Zawody Łódź 2027/zgłoszenie na ŚLĄSK.lxf";
  PlaceSamples(database, entries);
  OpenAndPaste(root, database, entries);
}

// A file name close to the system's limit of 255 bytes: the program's own names do not grow with
// it, so the paste goes through wherever the whole path fits the system (see LongPaths).
TEST_F(BadPaths, FileNameNearTheSystemLimit) {
  const std::string old = ReadBytes(Example("zgloszenie-utf8.lxf"));
  for (const size_t length : {200u, 240u, 250u, 255u}) {
    SCOPED_TRACE("file name of " + std::to_string(length));
    TempDir root;
    const std::string name = std::string(length - 4, 'z') + ".lxf", entries = root.file(name);
    WriteBytes(entries, old);
#ifdef _WIN32
    const bool fits = entries.size() <= 259;
#else
    const bool fits = true;
#endif
    const PasteRun pasted = PasteThrough(entries, SampleClubs());
    EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), fits ? PasteDone(entries)
                                                                     : PathTooLong(root.path())}));
    EXPECT_EQ(pasted.replaced, fits);
    EXPECT_EQ(Names(Snapshot(root.fs())), std::vector<std::string>{name});
    if (!pasted.replaced) {
      EXPECT_EQ(ReadBytes(entries), old);
    }
  }
}

// An entries file the user may not write is refused before anything is unpacked: on Windows
// when its read-only mark is set, elsewhere when its permission bits say so, also through a link.
TEST_F(BadPaths, ReadOnlyEntriesFile) {
  TempDir root;
  const std::string entries = root.file("zgloszenie.lxf");
  WriteBytes(entries, ReadBytes(Example("zgloszenie-utf8.lxf")));
  fs::permissions(root.fs(), fs::perms::all, fs::perm_options::add);
  std::vector<std::string> picks = {entries};
#ifdef _WIN32
  SetFileAttributesW(fileops::FsPath(entries).c_str(), FILE_ATTRIBUTE_READONLY);
#else
  fs::permissions(fileops::FsPath(entries), fs::perms::owner_read | fs::perms::others_read);
  fs::create_symlink(fileops::FsPath(entries), root.fs() / "dowiązanie.lxf");
  picks.push_back(root.file("dowiązanie.lxf"));
#endif
  const Tree before = Snapshot(root.fs());
  WithUsersRights([&] {
    for (const std::string& pick : picks) {
      const PasteRun pasted = PasteThrough(pick, SampleClubs());
      EXPECT_FALSE(pasted.replaced);
      EXPECT_EQ(pasted.shown,
                std::vector<Shown>{Stop(
                    "Plik zgłoszenia jest tylko do odczytu:\r\n" + pick +
                    "\r\nProgram go nie nadpisze. Zdejmij z pliku oznaczenie „tylko do odczytu” "
                    "(we właściwościach pliku) albo wklej zawodników do kopii tego pliku, którą "
                    "można zapisywać. Operacja anulowana, plik zgłoszenia nie został zmieniony.")});
      EXPECT_EQ(Snapshot(root.fs()), before);
    }
  });
#ifdef _WIN32
  SetFileAttributesW(fileops::FsPath(entries).c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

// A path that fits the system goes through; one it would refuse is refused before anything is
// written, naming the folder. Windows allows 259 characters unless long paths are switched on
// (Wine cannot switch them on), Linux 4095 bytes. The entries file and a database lie at the
// same depth, the path's length counted for the entries file.
TEST_F(BadPaths, LongPaths) {
#ifdef _WIN32
  const size_t fits = 230, tooLong = 255;
#else
  const size_t fits = 250, tooLong = 4090;
#endif
  for (const size_t length : {fits, tooLong}) {
    SCOPED_TRACE(length);
    TempDir root;
    std::string folder = root.path();
    const std::string file = "zgloszenie.lxf";
    // Leave room for one more folder of at least one character before the file.
    while (folder.size() + 201 + 2 + file.size() <= length) folder += std::string(200, 'k') + "/";
    folder += std::string(length - folder.size() - file.size() - 1, 'z') + "/";
    const std::string entries = folder + file, database = folder + "baza.lxf";
    ASSERT_EQ(entries.size(), length);
    if (length == fits) {
      PlaceSamples(root.path() + "baza/baza.lxf", entries);
      OpenAndPaste(root, root.path() + "baza/baza.lxf", entries);
      WriteBytes(database, ReadBytes(Example("baza-utf8.lxf")));
      EXPECT_EQ(OpenThrough(database).outcome.kind, OpenOutcome::AthletesFound);
      continue;
    }
    PlaceSamples(database, entries);
    const Tree before = Snapshot(root.fs());
    const Shown refused = PathTooLong(folder);
    EXPECT_EQ(PasteThrough(entries, SampleClubs()).shown,
              (std::vector<Shown>{Confirmation(), refused}));
    EXPECT_EQ(OpenThrough(database).shown, std::vector<Shown>{refused});
    EXPECT_EQ(Snapshot(root.fs()), before);
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
  // Whether C:\ may be written is told by the standard library, not by the program's own code.
  if (!std::ofstream(fileops::FsPath(database), std::ios::binary).write("x", 1))
    GTEST_SKIP() << "C:\\ cannot be written here";
  WriteBytes(database, ReadBytes(Example("baza-cp1250.lxf")));
  WriteBytes(entries, ReadBytes(Example("zgloszenie-utf8.lxf")));

  const OpenRun opened = OpenThrough(database);
  EXPECT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound)
      << ::testing::PrintToString(opened.shown);
  const PasteRun pasted = PasteThrough(entries, opened.outcome.clubs, database);
  EXPECT_EQ(pasted.shown, (std::vector<Shown>{Confirmation(), PasteDone(entries)}));
  EXPECT_EQ(ReadArchive(entries).members.at("zawody.lef"), SamplePasted());

  fs::remove(fileops::FsPath(database));
  fs::remove(fileops::FsPath(entries));
  EXPECT_EQ(listRoot(), before);
#endif
}

}  // namespace
}  // namespace rostrel::testing
