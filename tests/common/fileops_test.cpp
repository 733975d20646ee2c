#include "common/fileops.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/files.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// What the program writes is read back with the standard library, and what the standard library
// wrote is read with the program's own read; the program removes only the very file it made.
TEST(FileOps, WriteReadAndRemoveUnderPolishNames) {
  TempDir dir;
  const std::string folder = dir.path() + "Zawody Łódź 2026/";
  fs::create_directories(fileops::FsPath(folder));
  const std::string a = folder + "żółw.lef", b = folder + "żółw 2.lef";
  FileError err;
  const std::string bytes("x\0y\r\n\xB9", 6);
  fileops::NewFile made;
  ASSERT_TRUE(made.Create(a, err) && made.Write(bytes, err) && made.Close(err, true))
      << Describe(err);
  EXPECT_EQ(ReadBytes(a), bytes);
  WriteBytes(b, bytes);
  std::string read = "stale";
  ASSERT_TRUE(fileops::ReadFile(b, read, err)) << Describe(err);
  EXPECT_EQ(read, bytes);
  // b is not the file made: it stays, and so does a that a user's file has replaced.
  EXPECT_TRUE(fileops::RemoveOwnFile(b, made.identity(), err));
  EXPECT_EQ(ReadBytes(b), bytes);
  fs::rename(fileops::FsPath(b), fileops::FsPath(a));
  EXPECT_TRUE(fileops::RemoveOwnFile(a, made.identity(), err));
  EXPECT_EQ(ReadBytes(a), bytes);
  fileops::NewFile other;
  ASSERT_TRUE(other.Create(b, err) && other.Close(err, false)) << Describe(err);
  EXPECT_TRUE(fileops::RemoveOwnFile(b, other.identity(), err));
  EXPECT_FALSE(fileops::Exists(b));
  EXPECT_TRUE(fileops::RemoveOwnFile(b, other.identity(), err));  // gone counts as removed
}

// A file is made, or given its name, only where nothing has that name: whatever stands there
// stays byte for byte, and nothing is written through a link.
TEST(FileOps, NewFileIsMadeOnlyUnderAFreeName) {
  TempDir dir, source;
  WriteBytes(dir.file("cel.txt"), "mój plik");
  WriteBytes(source.file("nowy"), "nowy");
  fs::create_directory(dir.fs() / "katalog");
#ifndef _WIN32
  fs::create_symlink(dir.fs() / "cel.txt", dir.fs() / "dowiązanie");
  fs::create_symlink(dir.fs() / "brak.txt", dir.fs() / "wiszące");
#endif
  const testing::Tree before = testing::Snapshot(dir.fs());
  for (const fs::path& name : fs::directory_iterator(dir.fs())) {
    fileops::NewFile file;
    FileError err, renameErr;
    EXPECT_FALSE(file.Create(fileops::Utf8(name), err)) << name;
    EXPECT_EQ(Describe(err), "plik o tej nazwie już istnieje") << name;
    EXPECT_FALSE(fileops::RenameNoReplace(source.file("nowy"), fileops::Utf8(name), renameErr));
    EXPECT_EQ(Describe(renameErr), "plik o tej nazwie już istnieje") << name;
  }
  EXPECT_EQ(testing::Snapshot(dir.fs()), before);
  EXPECT_FALSE(fs::exists(dir.fs() / "brak.txt"));
  FileError err;
  ASSERT_TRUE(fileops::RenameNoReplace(source.file("nowy"), dir.file("wolny"), err));
  EXPECT_EQ(ReadBytes(dir.file("wolny")), "nowy");
  // Only the replacement of the entries file takes the place of what is there.
  ASSERT_TRUE(fileops::ReplaceFileAtomically(dir.file("wolny"), dir.file("cel.txt"), err));
  EXPECT_EQ(ReadBytes(dir.file("cel.txt")), "nowy");
  EXPECT_FALSE(fileops::Exists(dir.file("wolny")));
}

// A temporary file takes a fresh name of the program's own, another while one is taken.
TEST(FileOps, TemporaryFileTakesAFreeNameOfItsOwn) {
  TempDir dir;
  fileops::OnCall(1, [](const std::string& path) { WriteBytes(path, "cudzy"); });
  fileops::NewFile file;
  FileError err;
  ASSERT_TRUE(file.CreateTemporary(dir.path(), err)) << Describe(err);
  const std::string name = fileops::Utf8(fileops::FsPath(file.path()).filename());
  EXPECT_EQ(name.size(), fileops::kTemporaryNameLength);
  EXPECT_EQ(name.substr(0, 9), ".rostrel-");
  EXPECT_EQ(name.substr(17), ".tmp");
  EXPECT_EQ(fileops::CallCount(), 2);
  EXPECT_EQ(testing::Listing(dir.fs()).size(), 2u);
}

TEST(FileOps, SameFileSeesThroughSpellingsButNotAcrossFiles) {
  TempDir dir;
  WriteBytes(dir.file("baza.lxf"), "a");
  WriteBytes(dir.file("inna.lxf"), "a");
#ifdef _WIN32
  // Making a link takes a privilege on Windows; letter case spells the same file there.
  const std::string other = dir.file("BAZA.LXF");
#else
  fs::create_symlink(dir.fs() / "baza.lxf", dir.fs() / "link.lxf");
  const std::string other = dir.file("link.lxf");
#endif
  EXPECT_TRUE(fileops::SameFile(dir.file("baza.lxf"), dir.path() + "./baza.lxf"));
  EXPECT_TRUE(fileops::SameFile(dir.file("baza.lxf"), other));
  EXPECT_FALSE(fileops::SameFile(dir.file("baza.lxf"), dir.file("inna.lxf")));
  EXPECT_FALSE(fileops::SameFile(dir.file("baza.lxf"), dir.file("brak.lxf")));
  EXPECT_FALSE(fileops::SameFile("", dir.file("baza.lxf")));
}

// A file another program holds for a moment is tried again, up to the budget; a denied access
// that a folder in the way or the read-only mark explains is not.
TEST(FileOps, AHeldFileIsTriedAgainUpToTheBudget) {
  const FileError sharing = WindowsError(32), denied = WindowsError(5);
  struct Row {
    const char* what;
    FileError error;
    int failures;
    bool done;
    int calls;
  };
  const Row rows[] = {
      {"once", sharing, 1, true, 2},
      {"the whole budget", sharing, fileops::kRetries, true, fileops::kRetries + 1},
      {"beyond the budget", sharing, fileops::kRetries + 1, false, fileops::kRetries + 1},
      {"a lock", WindowsError(33), fileops::kRetries + 1, false, fileops::kRetries + 1},
      {"a denied access", denied, 2, true, 3},
      {"a full disk", WindowsError(112), 1, false, 1},
  };
  for (const Row& row : rows) {
    TempDir dir;
    WriteBytes(dir.file("z"), "z");
    fileops::FailCalls(1, row.failures, row.error);
    FileError err;
    EXPECT_EQ(fileops::RenameNoReplace(dir.file("z"), dir.file("x"), err), row.done) << row.what;
    EXPECT_EQ(fileops::CallCount(), row.calls) << row.what;
    EXPECT_EQ(fileops::HeldByAnotherProgram(err), !row.done && row.failures > 1) << row.what;
  }
  TempDir dir;
  fs::create_directory(dir.fs() / "katalog");
  FileError err;
  fileops::FailCalls(1, 2, denied);
  fileops::NewFile file;
  EXPECT_FALSE(file.Create(dir.file("katalog"), err));
  EXPECT_EQ(fileops::CallCount(), 1);
#ifdef _WIN32
  WriteBytes(dir.file("tylko.txt"), "r");
  SetFileAttributesW(fileops::FsPath(dir.file("tylko.txt")).c_str(), FILE_ATTRIBUTE_READONLY);
  fileops::FailCalls(1, 2, denied);
  EXPECT_FALSE(fileops::RemoveOwnFile(dir.file("tylko.txt"), {}, err));
  EXPECT_EQ(fileops::CallCount(), 1);
  SetFileAttributesW(fileops::FsPath(dir.file("tylko.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST(FileOps, InjectedFaultHitsExactlyTheChosenCall) {
  TempDir dir;
  FileError err;
  fileops::FailAtCall(2, ENOSPC);
  fileops::NewFile one, two, three;
  EXPECT_TRUE(one.Create(dir.file("1"), err));
  EXPECT_FALSE(two.Create(dir.file("2"), err));
  EXPECT_EQ(err.code, ENOSPC);
  EXPECT_FALSE(fileops::Exists(dir.file("2")));  // the failed call touched nothing
  EXPECT_TRUE(three.Create(dir.file("3"), err));
  EXPECT_EQ(fileops::CallCount(), 3);
  fileops::ResetFaults();
  EXPECT_EQ(fileops::CallCount(), 0);
}

}  // namespace
}  // namespace rostrel
