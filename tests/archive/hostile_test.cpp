// Archives that try to write outside the folder, lie about their sizes, or hold what we cannot
// read: each is refused before anything is written.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/modlxf.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"
#include "zip_test_util.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using testing::MakeArchive;
using testing::ReadBytes;
using testing::WriteBytes;
using testing::TempDir;
using testing::TestMember;
using testing::Tree;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// root/ holds the archive; root/dest/ is where it is unpacked. After a refusal both must look
// exactly as before.
struct Scene {
  TempDir root;
  std::string dest = root.path() + "dest/";
  std::string archive = root.file("a.lxf.zip");
  Scene() {
    fs::create_directory(fileops::FsPath(dest));
    WriteBytes(dest + "stary.txt", "stary");
  }
};

void ExpectRefused(Scene& scene, const std::string& text) {
  const Strings before = Tree(scene.root.fs());
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, text);
  EXPECT_EQ(prompter.messages[0].title, "error");
  EXPECT_EQ(prompter.messages[0].icon, Icon::Warning);
  EXPECT_EQ(Tree(scene.root.fs()), before);
  EXPECT_EQ(ReadBytes(scene.dest + "stary.txt"), "stary");
}

class HostileNameTest : public ::testing::TestWithParam<std::string> {};

// A harmless member comes first, so that a check made only while writing would let it through.
TEST_P(HostileNameTest, IsRefusedAndNothingIsWritten) {
  Scene scene;
  ASSERT_EQ(MakeArchive(scene.archive, {{"zawody.lef", "ok"}, {GetParam(), "zły"}}), "");
  ExpectRefused(scene, "Niedozwolona nazwa w archiwum: " + GetParam());
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNameTest,
                         ::testing::Values("../x.lef", "..", "a/../../x.lef", "a/..", "/abs.lef",
                                           "/tmp/abs.lef", "\\abs.lef", "C:x.lef", "C:/x.lef",
                                           "c:\\x.lef", "a\\..\\b.lef", "..\\x.lef",
                                           "a/..\\..\\x.lef", "sub/../zawody.lef", "../"));

#ifdef _WIN32
// Windows drops the trailing dots and blanks of a name, so these could climb or collide; a colon
// names a drive or a hidden stream of a file.
INSTANTIATE_TEST_SUITE_P(WindowsNames, HostileNameTest,
                         ::testing::Values("b/.../c.lef", "a./x.lef", "x.lef ", "1:x.lef"));
#endif

// Names that merely look odd stay inside the folder and are unpacked.
TEST(HostileNames, HarmlessLookalikesAreUnpacked) {
  Scene scene;
  std::vector<TestMember> members = {{"..x.lef", "1"}, {"x..lef", "2"}, {"./a.lef", "3"}};
#ifndef _WIN32
  members.push_back({"b/.../c.lef", "4"});  // refused on Windows (WindowsNames above)
  members.push_back({"1:x.lef", "5"});
#endif
  ASSERT_EQ(MakeArchive(scene.archive, members), "");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(ReadBytes(scene.dest + "..x.lef"), "1");
  EXPECT_EQ(ReadBytes(scene.dest + "x..lef"), "2");
  EXPECT_EQ(ReadBytes(scene.dest + "a.lef"), "3");
#ifndef _WIN32
  EXPECT_EQ(ReadBytes(scene.dest + "b/.../c.lef"), "4");
  EXPECT_EQ(ReadBytes(scene.dest + "1:x.lef"), "5");
#endif
}

// A member's stored bytes, declared with the sizes and flags patched into its headers.
struct Patch {
  const char* label;
  size_t centralOffset;
  size_t localOffset;  // 0: the local header is left alone
  unsigned long long value;
  int width;
  std::string text;
};

void PrintTo(const Patch& p, std::ostream* os) { *os << p.label; }

class PatchedMemberTest : public ::testing::TestWithParam<Patch> {};

TEST_P(PatchedMemberTest, IsRefusedAndNothingIsWritten) {
  Scene scene;
  ASSERT_EQ(
      MakeArchive(scene.archive, {{"zawody.lef", "ok"}, {"big.lef", std::string(70000, 'A')}}), "");
  std::string bytes = ReadBytes(scene.archive);
  const Patch& p = GetParam();
  ASSERT_TRUE(testing::PatchHeader(bytes, testing::kCentral, 1, p.centralOffset, p.value, p.width));
  if (p.localOffset) {
    ASSERT_TRUE(testing::PatchHeader(bytes, testing::kLocal, 1, p.localOffset, p.value, p.width));
  }
  WriteBytes(scene.archive, bytes);
  ExpectRefused(scene, p.text);
}

// Central header: general flags at 8, method at 10, uncompressed size at 24.
// Local header: general flags at 6, method at 8.
INSTANTIATE_TEST_SUITE_P(
    Headers, PatchedMemberTest,
    ::testing::Values(
        Patch{"DeclaredOverOneGiB", 24, 0, (1ull << 30) + 1, 4,
              "Element archiwum jest za duży (ponad 1 GiB): big.lef"},
        Patch{"DeclaredFourGiB", 24, 0, 0xFFFFFFFEull, 4,
              "Element archiwum jest za duży (ponad 1 GiB): big.lef"},
        Patch{"Encrypted", 8, 6, 1, 2,
              "Zaszyfrowany element archiwum: big.lef (No password provided)"},
        Patch{"Imploded", 10, 8, 6, 2,
              "Nieobsługiwana metoda kompresji (6) elementu archiwum: big.lef (Compression "
              "method not supported)"}),
    [](const auto& info) { return std::string(info.param.label); });

// The data holds more than the header declares: reading stops as soon as the declared size is
// passed, and the half-written member is removed. The harmless member before it was written.
TEST(HostileSizes, MoreDataThanDeclaredIsRefused) {
  Scene scene;
  ASSERT_EQ(
      MakeArchive(scene.archive, {{"zawody.lef", "ok"}, {"big.lef", std::string(200000, 'A')}},
                  ZIP_CM_DEFLATE),
      "");
  std::string bytes = ReadBytes(scene.archive);
  ASSERT_TRUE(testing::PatchHeader(bytes, testing::kCentral, 1, 24, 10, 4));
  WriteBytes(scene.archive, bytes);
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "Element archiwum jest większy, niż podaje archiwum: big.lef");
  EXPECT_EQ(Tree(fileops::FsPath(scene.dest)), (Strings{"stary.txt", "zawody.lef"}));
}

TEST(HostileSizes, LessDataThanDeclaredIsRefused) {
  Scene scene;
  ASSERT_EQ(MakeArchive(scene.archive, {{"big.lef", std::string(1000, 'A')}}, ZIP_CM_DEFLATE), "");
  std::string bytes = ReadBytes(scene.archive);
  ASSERT_TRUE(testing::PatchHeader(bytes, testing::kCentral, 0, 24, 5000, 4));
  WriteBytes(scene.archive, bytes);
  ExpectRefused(scene, "Element archiwum jest krótszy, niż podaje archiwum: big.lef");
}

// zip_file_add will not add a name twice, so the second name is patched to equal the first.
TEST(HostileNames, TwoMembersOfTheSameNameAreRefused) {
  for (const char* second : {"zawody.lef", "./zawody.lef/"}) {
    Scene scene;
    const std::string other(std::string(second).size(), 'q');
    ASSERT_EQ(MakeArchive(scene.archive, {{"zawody.lef", "1"}, {other, "2"}}), "");
    std::string bytes = ReadBytes(scene.archive);
    for (size_t at = bytes.find(other); at != std::string::npos; at = bytes.find(other)) {
      bytes.replace(at, other.size(), second);
    }
    WriteBytes(scene.archive, bytes);
    ExpectRefused(scene, std::string("Powtórzona nazwa w archiwum: ") + second);
  }
}

#ifndef _WIN32
// A link already in the folder must not carry a member out of it.
TEST(HostileLinks, DirectoryLinkInTheFolderIsRefused) {
  Scene scene;
  TempDir outside;
  fs::create_directory_symlink(outside.fs(), fileops::FsPath(scene.dest + "sub"));
  ASSERT_EQ(MakeArchive(scene.archive, {{"zawody.lef", "ok"}, {"sub/x.lef", "zły"}}), "");
  ExpectRefused(scene, "Element archiwum prowadzi przez dowiązanie symboliczne: sub/x.lef");
  EXPECT_EQ(Tree(outside.fs()), Strings{});
}

TEST(HostileLinks, FileLinkIsReplacedNotWrittenThrough) {
  Scene scene;
  TempDir outside;
  WriteBytes(outside.file("cel.lef"), "cel");
  fs::create_symlink(outside.fs() / "cel.lef", fileops::FsPath(scene.dest + "zawody.lef"));
  ASSERT_EQ(MakeArchive(scene.archive, {{"zawody.lef", "nowy"}}), "");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  EXPECT_EQ(ReadBytes(outside.file("cel.lef")), "cel");
  EXPECT_FALSE(fs::is_symlink(fileops::FsPath(scene.dest + "zawody.lef")));
  EXPECT_EQ(ReadBytes(scene.dest + "zawody.lef"), "nowy");
}
#endif

}  // namespace
}  // namespace rostrel
