#include "archive/unpacked_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/files.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::Listing;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A folder that is not empty cannot be removed.
#ifdef _WIN32
const FileError kNotEmpty = WindowsError(145);
#else
const FileError kNotEmpty = PosixError(ENOTEMPTY);
#endif

struct RemovalCase {
  const char* label;
  Strings made;       // on disk beforehand; a name ending in '/' is a folder
  Strings listed;     // noted in this order, as they are now; a name ending in '/' is a folder
  Strings replaced;   // then replaced by the user's own: a folder where the name ends in '/'
  int failingCall;    // the file operation that fails with EBUSY, 0 for none
  Strings left;       // the folder afterwards
  std::vector<std::pair<std::string, FileError>> leftovers = {};  // as RemoveAll reports them
  bool byDestructor = false;  // the list goes with its owner, without RemoveAll
};

void PrintTo(const RemovalCase& c, std::ostream* os) { *os << c.label; }

class UnpackedFilesTest : public ::testing::TestWithParam<RemovalCase> {};

// Whatever RemoveAll leaves, it takes off the list: the destructor that follows removes nothing
// of it.
TEST_P(UnpackedFilesTest, RemovesWhatIsListed) {
  const RemovalCase& c = GetParam();
  TempDir dir;
  const auto place = [&](const std::string& name) {
    return fileops::FsPath(dir.file(name.ends_with('/') ? name.substr(0, name.size() - 1) : name));
  };
  const auto make = [&](const std::string& name) {
    if (name.ends_with('/')) {
      fs::create_directory(place(name));
    } else {
      WriteBytes(dir.file(name), "x");
    }
  };
  for (const std::string& name : c.made) make(name);
  std::vector<UnpackedFiles::Leftover> leftovers;
  {
    UnpackedFiles unpacked;
    for (const std::string& name : c.listed) {
      fileops::FileIdentity id;
      fileops::IdentityOf(fileops::Utf8(place(name)), id);
      if (name.ends_with('/')) {
        unpacked.AddFolder(place(name), id);
      } else {
        unpacked.AddFile(place(name), id);
      }
    }
    for (const std::string& name : c.replaced) {
      fs::rename(place(name), dir.fs() / "stary");
      make(name);
      fs::remove_all(dir.fs() / "stary");
    }
    fileops::FailAtCall(c.failingCall, EBUSY);
    if (!c.byDestructor) leftovers = unpacked.RemoveAll();
    fileops::ResetFaults();
  }
  EXPECT_EQ(Listing(dir.fs()), c.left);
  std::vector<std::pair<std::string, FileError>> reported;
  for (const UnpackedFiles::Leftover& left : leftovers)
    reported.emplace_back(left.path.substr(dir.path().size()), left.error);
  EXPECT_EQ(reported, c.leftovers);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, UnpackedFilesTest,
    ::testing::Values(
        RemovalCase{"FilesAndFoldersGo", {"a/", "a/x", "b"}, {"a/", "a/x", "b"}, {}, 0, {}},
        // Listed outermost first, as unpacking makes them: the innermost must go first.
        RemovalCase{"FoldersGoDeepestFirst",
                    {"a/", "a/b/", "a/b/c/", "a/b/c/x", "a/y"},
                    {"a/", "a/b/", "a/b/c/", "a/b/c/x", "a/y"},
                    {},
                    0,
                    {}},
        RemovalCase{"FileAlreadyGoneCountsAsRemoved", {"a/", "b"}, {"a/", "a/x", "b"}, {}, 0, {}},
        // What the user put under a listed name, in place of what was listed, is the user's.
        RemovalCase{"FileReplacedByTheUsersStays", {"x", "y"}, {"x", "y"}, {"x"}, 0, {"x"}},
        RemovalCase{"FolderReplacedByTheUsersStays", {"a/", "b/"}, {"a/", "b/"}, {"a/"}, 0, {"a"}},
        RemovalCase{"FolderThatIsNotEmptyStays",
                    {"a/", "a/cudzy"},
                    {"a/"},
                    {},
                    0,
                    {"a", "a/cudzy"},
                    {{"a", kNotEmpty}}},
        RemovalCase{"FolderUnderAFilesNameStays", {"x"}, {"x"}, {"x/"}, 0, {"x"}},
        RemovalCase{"FailedRemovalIsReportedAndTheRestGoes",
                    {"a/", "a/x", "y"},
                    {"a/", "a/x", "y"},
                    {},
                    1,
                    {"a", "a/x"},
                    {{"a/x", PosixError(EBUSY)}, {"a", kNotEmpty}}},
        RemovalCase{"DestructorRemovesWhatIsListed",
                    {"a/", "a/x", "y"},
                    {"a/", "a/x"},
                    {},
                    0,
                    {"y"},
                    {},
                    true}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace rostrel
