#include "common/fileops.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/files.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// What the program writes is read back with the standard library, and what the standard library
// wrote is read with the program's own read.
TEST(FileOps, WriteReadAndRemoveUnderPolishNames) {
  TempDir dir;
  const std::string folder = dir.path() + "Zawody Łódź 2026/";
  std::filesystem::create_directories(fileops::FsPath(folder));
  const std::string a = folder + "żółw.lef", b = folder + "żółw 2.lef";
  FileError err;
  const std::string bytes("x\0y\r\n\xB9", 6);
  ASSERT_TRUE(fileops::WriteFile(a, bytes, err)) << Describe(err);
  EXPECT_EQ(ReadBytes(a), bytes);
  WriteBytes(b, bytes);
  std::string read = "stale";
  ASSERT_TRUE(fileops::ReadFile(b, read, err)) << Describe(err);
  EXPECT_EQ(read, bytes);
  EXPECT_TRUE(fileops::RemoveFile(b, err));
  EXPECT_FALSE(fileops::Exists(b));
  EXPECT_FALSE(fileops::RemoveFile(b, err));
  EXPECT_EQ(err.code, ENOENT);
  EXPECT_EQ(Describe(err), "plik lub katalog nie istnieje");
}

// A read-only file (from a CD, say): Windows will not remove it, and that is told in Polish.
TEST(FileOps, RemovingAReadOnlyFile) {
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string a = dir.file("baza.lxf");
  FileError err;
  WriteBytes(a, "lxf");
  const fs::perms writable =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(fileops::FsPath(a), writable, fs::perm_options::remove);
#ifdef _WIN32
  EXPECT_FALSE(fileops::RemoveFile(a, err));
  EXPECT_EQ(Describe(err), "brak uprawnień do pliku lub katalogu");
  fs::permissions(fileops::FsPath(a), fs::perms::owner_write, fs::perm_options::add);
#else
  EXPECT_TRUE(fileops::RemoveFile(a, err)) << Describe(err);  // the folder decides on POSIX
#endif
}

TEST(FileOps, RemoveLeavesFoldersAlone) {
  TempDir dir;
  std::filesystem::create_directory(dir.fs() / "x.ZIP");
  FileError err;
  EXPECT_FALSE(fileops::RemoveFile(dir.file("x.ZIP"), err));
  EXPECT_EQ(err.code, EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(dir.fs() / "x.ZIP"));
}

TEST(FileOps, ReplaceMovesTheNewFileOverTheOld) {
  TempDir dir;
  FileError err;
  WriteBytes(dir.file("new"), "new");
  WriteBytes(dir.file("old"), "old");
  ASSERT_TRUE(fileops::ReplaceFileAtomically(dir.file("new"), dir.file("old"), err))
      << Describe(err);
  EXPECT_EQ(ReadBytes(dir.file("old")), "new");
  EXPECT_FALSE(fileops::Exists(dir.file("new")));
}

TEST(FileOps, SameFileSeesThroughSpellingsButNotAcrossFiles) {
  TempDir dir;
  WriteBytes(dir.file("baza.lxf"), "a");
  WriteBytes(dir.file("inna.lxf"), "a");
#ifdef _WIN32
  // Making a link takes a privilege on Windows; letter case spells the same file there.
  const std::string other = dir.file("BAZA.LXF");
#else
  std::filesystem::create_symlink(dir.fs() / "baza.lxf", dir.fs() / "link.lxf");
  const std::string other = dir.file("link.lxf");
#endif
  EXPECT_TRUE(fileops::SameFile(dir.file("baza.lxf"), dir.path() + "./baza.lxf"));
  EXPECT_TRUE(fileops::SameFile(dir.file("baza.lxf"), other));
  EXPECT_FALSE(fileops::SameFile(dir.file("baza.lxf"), dir.file("inna.lxf")));
  EXPECT_FALSE(fileops::SameFile(dir.file("baza.lxf"), dir.file("brak.lxf")));
  EXPECT_FALSE(fileops::SameFile("", dir.file("baza.lxf")));
}

TEST(FileOps, InjectedFaultHitsExactlyTheChosenCall) {
  TempDir dir;
  FileError err;
  fileops::FailAtCall(2, ENOSPC);
  EXPECT_TRUE(fileops::WriteFile(dir.file("1"), "a", err));
  EXPECT_FALSE(fileops::WriteFile(dir.file("2"), "b", err));
  EXPECT_EQ(err.code, ENOSPC);
  EXPECT_FALSE(fileops::Exists(dir.file("2")));  // the failed call touched nothing
  EXPECT_TRUE(fileops::WriteFile(dir.file("3"), "c", err));
  EXPECT_EQ(fileops::CallCount(), 3);
  fileops::ResetFaults();
  EXPECT_EQ(fileops::CallCount(), 0);
}

}  // namespace
}  // namespace rostrel
