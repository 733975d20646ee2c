#include "archive/document_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/files.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

struct DirCase {
  std::string path;
  std::string dir;
};

void PrintTo(const DirCase& c, std::ostream* os) { *os << c.path; }

#ifdef _WIN32
const char* const kHere = ".\\";
#else
const char* const kHere = "./";
#endif

class GetDirTest : public ::testing::TestWithParam<DirCase> {};

TEST_P(GetDirTest, KeepsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(getDir(GetParam().path), GetParam().dir);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, GetDirTest,
    ::testing::Values(
        DirCase{"/home/klub/baza.lxf", "/home/klub/"}, DirCase{"/baza.lxf", "/"},
        DirCase{"/a/b/c.lxf", "/a/b/"}, DirCase{"//serwer/dane/baza.lxf", "//serwer/dane/"},
        DirCase{"/Zawody śląskie/baza 1.lxf", "/Zawody śląskie/"}, DirCase{"/a/b/", "/a/b/"},
        // A bare name is a file in the current folder.
        DirCase{"baza.lxf", kHere}, DirCase{"", kHere},
#ifdef _WIN32
        DirCase{"C:\\baza.lxf", "C:\\"}, DirCase{"C:\\a\\b\\c.lxf", "C:\\a\\b\\"},
        DirCase{"\\\\nas\\klub\\x.lxf", "\\\\nas\\klub\\"},  // a share's root
        DirCase{"C:\\a/b\\c.lxf", "C:\\a/b\\"}, DirCase { "C:/a\\b/c.lxf", "C:/a\\b/" }
#else
        // A backslash is an ordinary character of a POSIX file name.
        DirCase{"/dane/C:\\a\\b.lxf", "/dane/"}, DirCase{"C:\\a\\b.lxf", kHere}
#endif
        ));

struct LefCase {
  const char* label;
  std::vector<std::string> files;  // a name ending in '/' is a directory
  std::string expected;            // a file name, or the marker
};

void Populate(const TempDir& dir, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    if (entry.back() == '/') {
      fs::create_directories(fileops::FsPath(dir.file(entry)));
    } else {
      fs::create_directories(fileops::FsPath(dir.file(entry)).parent_path());
      WriteBytes(dir.file(entry), "x");
    }
#ifdef _WIN32
    // Windows hides a file by its attributes: a leading dot marks a hidden file, a tilde a system
    // file.
    if (entry[0] == '.' || entry[0] == '~') {
      SetFileAttributesW(fileops::FsPath(dir.file(entry)).c_str(),
                         entry[0] == '.' ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_SYSTEM);
    }
#endif
  }
}

void PrintTo(const LefCase& c, std::ostream* os) { *os << c.label; }

class GetLefFileTest : public ::testing::TestWithParam<LefCase> {};

TEST_P(GetLefFileTest, FindsTheOneDocument) {
  TempDir dir;
  Populate(dir, GetParam().files);
  const std::string& expected = GetParam().expected;
  const bool marker = expected == kNoLefFile || expected == kSeveralLefFiles;
  EXPECT_EQ(getLefFile(dir.path()), marker ? expected : dir.path() + expected);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, GetLefFileTest,
    ::testing::Values(
        LefCase{"Empty", {}, kNoLefFile}, LefCase{"One", {"zawody.lef"}, "zawody.lef"},
        LefCase{"CaseAsStored", {"Zgloszenie.LEF"}, "Zgloszenie.LEF"},
        LefCase{"MixedCase", {"a.LeF", "notes.txt"}, "a.LeF"},
        LefCase{"TwoIgnoringCase", {"doc.lef", "DOC2.LEF"}, kSeveralLefFiles},
        LefCase{"Three", {"a.lef", "b.lef", "c.lef"}, kSeveralLefFiles},
        LefCase{"DirectoryOnly", {"x.lef/"}, kNoLefFile},
        LefCase{"DirectoryBesideFile", {"x.lef/", "y.lef"}, "y.lef"},
        LefCase{"NotRecursive", {"sub/b.lef", "a.lef"}, "a.lef"},
        LefCase{"OnlyInSubdirectory", {"sub/b.lef"}, kNoLefFile},
        LefCase{"NearMisses", {"a.lef.bak", "alef", "a.le", "a.lefx", "a.txt"}, kNoLefFile},
        LefCase{"PolishName", {"Zgłoszenie ŁÓDŹ.lef"}, "Zgłoszenie ŁÓDŹ.lef"},
        LefCase{"HiddenOnly", {".ukryty.lef"}, kNoLefFile},
        LefCase{"HiddenBesideOne", {".ukryty.lef", "zawody.lef"}, "zawody.lef"},
        LefCase{"BareSuffixIsHidden", {".lef"}, kNoLefFile},
#ifdef _WIN32
        LefCase{"SystemFile", {"~systemowy.lef"}, kNoLefFile}
#else
        LefCase{"SystemFile", {"~systemowy.lef"}, "~systemowy.lef"}
#endif
        ),
    [](const auto& info) { return std::string(info.param.label); });

TEST(GetLefFile, ListsAfreshAtEachCall) {
  TempDir dir;
  EXPECT_EQ(getLefFile(dir.path()), kNoLefFile);
  WriteBytes(dir.file("a.lef"), "x");
  EXPECT_EQ(getLefFile(dir.path()), dir.file("a.lef"));
  WriteBytes(dir.file("b.LEF"), "x");
  EXPECT_EQ(getLefFile(dir.path()), kSeveralLefFiles);
  fs::remove(fileops::FsPath(dir.file("a.lef")));
  EXPECT_EQ(getLefFile(dir.path()), dir.file("b.LEF"));
}

TEST(GetLefFile, FolderWithPolishLettersAndBlanks) {
  TempDir root;
  const std::string dir = root.path() + "Zawody śląskie 2024 – Łódź/";
  fs::create_directories(fileops::FsPath(dir));
  WriteBytes(dir + "zgłoszenie.lef", "x");
  EXPECT_EQ(getLefFile(dir), dir + "zgłoszenie.lef");
  EXPECT_EQ(getLefFile(getDir(dir + "baza klubu.lxf")), dir + "zgłoszenie.lef");
}

TEST(GetLefFile, MissingDirectoryHasNoDocument) {
  TempDir root;
  EXPECT_EQ(getLefFile(root.path() + "brak/"), kNoLefFile);
  WriteBytes(root.file("plik.lef"), "x");
  EXPECT_EQ(getLefFile(root.file("plik.lef") + "/"), kNoLefFile);
}

#ifndef _WIN32
// A link is not an ordinary file: the document found is rewritten in place later, and through
// a link that would change a file outside the directory.
TEST(GetLefFile, SymbolicLinksAreNotListed) {
  TempDir outside;
  WriteBytes(outside.file("real.lef"), "x");
  TempDir dir;
  fs::create_symlink(outside.fs() / "real.lef", dir.fs() / "link.lef");
  fs::create_directory_symlink(outside.fs(), dir.fs() / "dirlink.lef");
  EXPECT_EQ(getLefFile(dir.path()), kNoLefFile);
  WriteBytes(dir.file("own.lef"), "x");
  EXPECT_EQ(getLefFile(dir.path()), dir.file("own.lef"));
}
#endif

}  // namespace
}  // namespace rostrel
