// Archives that try to write outside the folder, lie about their sizes, or hold what we cannot
// read: each is refused, most before anything is written, and none writes outside the folder.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "archive/shell_zip.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::ArchiveError;
using testing::BuildZip;
using testing::Deflate;
using testing::FakePrompter;
using testing::Listing;
using testing::Member;
using testing::RawMember;
using testing::ReadBytes;
using testing::Shown;
using testing::Snapshot;
using testing::TempDir;
using testing::Tree;
using testing::WriteBytes;
using testing::ZeroBomb;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// root/ holds the archive; root/dest/ is where it is unpacked, beside a file of the user's.
struct Scene {
  TempDir root;
  std::string dest = root.path() + "dest/";
  std::string archive = root.file("a.lxf.zip");
  Scene() {
    fs::create_directory(fileops::FsPath(dest));
    WriteBytes(dest + "stary.txt", "stary");
  }
};

const Tree kUntouched = {{"stary.txt", "stary"}};
const Tree kFirstWritten = {{"stary.txt", "stary"}, {"zawody.lef", "ok"}};

struct HostileCase {
  const char* label;
  std::vector<RawMember> members;  // after a harmless "zawody.lef"
  std::string refusal;             // the description shown; "" when the archive is unpacked
  Tree after;                      // the destination afterwards
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.label; }

class HostileArchiveTest : public ::testing::TestWithParam<HostileCase> {
 protected:
  // No archive here may make the program write much: a file-size limit of 4 MiB turns any
  // attempt to unpack a bomb into a failed write, with a message other than the one expected,
  // so a refusal must come before that much is written. Windows has no such limit.
  void SetUp() override {
#ifndef _WIN32
    getrlimit(RLIMIT_FSIZE, &savedLimit_);
    rlimit limit = savedLimit_;
    limit.rlim_cur = 4 << 20;
    setrlimit(RLIMIT_FSIZE, &limit);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    setrlimit(RLIMIT_FSIZE, &savedLimit_);
    std::signal(SIGXFSZ, savedHandler_);
#endif
  }

 private:
#ifndef _WIN32
  rlimit savedLimit_{};
  void (*savedHandler_)(int) = SIG_DFL;
#endif
};

// Names are checked before any member is written; sizes, flags and methods as the headers
// declare them, too. What is found only while reading comes after the members before it.
TEST_P(HostileArchiveTest, IsRefusedOrUnpackedInsideTheFolder) {
  const HostileCase& c = GetParam();
  Scene scene;
  std::vector<RawMember> members = {Member("zawody.lef", "ok")};
  members.insert(members.end(), c.members.begin(), c.members.end());
  WriteBytes(scene.archive, BuildZip(members));
  FakePrompter prompter;
  EXPECT_EQ(ShellZip(prompter, "UNZIP", scene.archive, scene.dest), c.refusal.empty());
  EXPECT_EQ(prompter.messages,
            c.refusal.empty() ? std::vector<Shown>{} : std::vector<Shown>{ArchiveError(c.refusal)});
  EXPECT_EQ(Snapshot(fileops::FsPath(scene.dest)), c.after);
  Strings everything = {"a.lxf.zip", "dest"};
  for (const auto& [name, content] : c.after) everything.push_back("dest/" + name);
  std::sort(everything.begin() + 2, everything.end());
  EXPECT_EQ(Listing(scene.root.fs()), everything);
}

// big.lef, 70,000 bytes, as a row changes it.
RawMember Big(void (*change)(RawMember&)) {
  RawMember member = Member("big.lef", std::string(70000, 'A'));
  change(member);
  return member;
}

const std::string kTooBig = "Element archiwum jest za duży (ponad 1 GiB): big.lef";
const std::string kLarger = "Element archiwum jest większy, niż podaje archiwum: big.lef";
const std::string kTwice = "Powtórzona nazwa w archiwum: ";

INSTANTIATE_TEST_SUITE_P(
    Archives, HostileArchiveTest,
    ::testing::Values(
        // The name rules themselves are tried on a table of names (member_names_test.cpp).
        HostileCase{"BadName",
                    {Member("a/../../x.lef", "zły")},
                    "Niedozwolona nazwa w archiwum: a/../../x.lef",
                    kUntouched},
        HostileCase{"HarmlessLookalikes",
                    {Member("..x.lef", "1"), Member("x..lef", "2"), Member("./a.lef", "3")},
                    "",
                    {{"..x.lef", "1"},
                     {"a.lef", "3"},
                     {"stary.txt", "stary"},
                     {"x..lef", "2"},
                     {"zawody.lef", "ok"}}},
        HostileCase{"DeclaredOverOneGiB",
                    {Big([](RawMember& m) { m.uncompressedSize = (1ll << 30) + 1; })},
                    kTooBig,
                    kUntouched},
        // The limits themselves: exactly 1 GiB passes the size check (and, packed a thousand to
        // one, is then refused as a bomb); exactly 1 MiB of zeros is no bomb.
        HostileCase{"DeclaredExactlyOneGiB",
                    {Big([](RawMember& m) {
                      m.stored = ZeroBomb(1024);
                      m.uncompressedSize = 1ll << 30;
                    })},
                    "Element archiwum rozpakowałby się do rozmiaru ponad 200 razy większego niż "
                    "w archiwum: big.lef",
                    kUntouched},
        HostileCase{"OneMebibyteOfZeros",
                    {Big([](RawMember& m) {
                      m.plain = std::string(1 << 20, '\0');
                      m.stored = ZeroBomb(1);
                    })},
                    "",
                    {{"big.lef", std::string(1 << 20, '\0')},
                     {"stary.txt", "stary"},
                     {"zawody.lef", "ok"}}},
        HostileCase{"DeclaredFourGiB",
                    {Big([](RawMember& m) { m.uncompressedSize = 0xFFFFFFFEll; })},
                    kTooBig,
                    kUntouched},
        HostileCase{"Zip64DeclaredFiveGiB",
                    {Big([](RawMember& m) {
                      m.uncompressedSize = 5ll << 30;
                      m.zip64 = true;
                    })},
                    kTooBig,
                    kUntouched},
        HostileCase{"BombDeclaredHonestly",
                    {Big([](RawMember& m) {
                      m.stored = ZeroBomb(1100);
                      m.uncompressedSize = 1100ll << 20;
                    })},
                    kTooBig,
                    kUntouched},
        // Real LENEX documents pack at most about 23 to 1: a member declared honestly within the
        // size limit that packs a thousand to one is refused before anything is written.
        HostileCase{"BombWithinTheSizeLimit",
                    {Big([](RawMember& m) {
                      m.stored = ZeroBomb(576);
                      m.uncompressedSize = 576ll << 20;
                    })},
                    "Element archiwum rozpakowałby się do rozmiaru ponad 200 razy większego niż "
                    "w archiwum: big.lef",
                    kUntouched},
        HostileCase{"Encrypted",
                    {Big([](RawMember& m) { m.flags |= 1; })},
                    "Zaszyfrowany element archiwum: big.lef",
                    kUntouched},
        HostileCase{"Imploded",
                    {Big([](RawMember& m) {
                      m.method = 6;
                      m.stored = m.plain;
                    })},
                    "Nieobsługiwana metoda kompresji (6) elementu archiwum: big.lef",
                    kUntouched},
        HostileCase{
            "SameNameTwice", {Member("zawody.lef", "2")}, kTwice + "zawody.lef", kUntouched},
        HostileCase{"SameNameThroughDot",
                    {Member("./zawody.lef", "2")},
                    kTwice + "./zawody.lef",
                    kUntouched},
        HostileCase{"SameNameAsAFolder",
                    {Member("./zawody.lef/", "")},
                    kTwice + "./zawody.lef/",
                    kUntouched},
        // Windows takes names that differ only in letter case for one file, Polish letters
        // included; there the second would replace the first.
        HostileCase{"NamesDifferingOnlyInLetterCase",
                    {Member("Opis ŻÓŁW.txt", "a"), Member("opis żółw.TXT", "b")},
#ifdef _WIN32
                    kTwice + "opis żółw.TXT",
                    kUntouched},
#else
                    "",
                    {{"Opis ŻÓŁW.txt", "a"},
                     {"opis żółw.TXT", "b"},
                     {"stary.txt", "stary"},
                     {"zawody.lef", "ok"}}},
#endif
        // Reading stops as soon as the declared size is passed, and the half-written member is
        // removed.
        HostileCase{"MoreDataThanDeclared",
                    {Big([](RawMember& m) {
                      m.plain += m.plain + m.plain;
                      m.uncompressedSize = 10;
                    })},
                    kLarger,
                    kFirstWritten},
        HostileCase{"BombDeclaredSmall",
                    {Big([](RawMember& m) {
                      m.stored = ZeroBomb(1100);
                      m.uncompressedSize = 1 << 20;
                    })},
                    kLarger,
                    kFirstWritten},
        // Declared exactly 200 times its packed size, which is not more: it is unpacked.
        HostileCase{"DeclaredExactlyTwoHundredTimes",
                    {Big([](RawMember& m) {
                      m.stored = ZeroBomb(8);
                      m.uncompressedSize = 200 * static_cast<int64_t>(m.stored.size());
                    })},
                    kLarger,
                    kFirstWritten},
        HostileCase{"LessDataThanDeclared",
                    {Big([](RawMember& m) {
                      m.plain.resize(1000);
                      m.uncompressedSize = 5000;
                    })},
                    "Element archiwum jest krótszy, niż podaje archiwum: big.lef",
                    kFirstWritten},
        HostileCase{"DeflateStreamCutShort",
                    {Big([](RawMember& m) { m.stored = Deflate(m.plain).substr(0, 20); })},
                    "uszkodzone dane w archiwum ZIP (niezgodna suma kontrolna): big.lef",
                    kFirstWritten},
        // An offset no file could hold is the archive's fault, not the disk's.
        HostileCase{"Zip64OffsetBeyondTheFile",
                    {Big([](RawMember& m) {
                      m.zip64 = true;
                      m.offset = INT64_MIN;  // 2^63 as the archive stores it
                    })},
                    "nieprawidłowe lub uszkodzone archiwum ZIP",
                    kUntouched},
        HostileCase{"Zip64Archive",
                    {Big([](RawMember& m) {
                      m.plain = "b";
                      m.zip64 = true;
                    })},
                    "",
                    {{"big.lef", "b"}, {"stary.txt", "stary"}, {"zawody.lef", "ok"}}},
        // A member marked as a symbolic link becomes an ordinary file holding the link's target
        // as text: no link is ever made, so nothing can be reached through it.
        HostileCase{"LinkMemberBecomesAFile",
                    {Big([](RawMember& m) {
                      m.plain = "/etc/passwd";
                      m.method = 0;
                      m.externalAttributes = 0120777u << 16;
                    })},
                    "",
                    {{"big.lef", "/etc/passwd"}, {"stary.txt", "stary"}, {"zawody.lef", "ok"}}}),
    [](const auto& info) { return std::string(info.param.label); });

// A member whose own header is damaged fails as it is opened, after the members before it.
TEST(HostileArchive, DamagedLocalHeaderIsTheArchivesFault) {
  Scene scene;
  std::string zip = BuildZip({Member("zawody.lef", "ok"), Member("big.lef", "b")});
  // The second member's header claims a name far longer than the archive.
  zip[zip.find("PK\x03\x04", 4) + 26] = zip[zip.find("PK\x03\x04", 4) + 27] = '\xFF';
  WriteBytes(scene.archive, zip);
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  EXPECT_EQ(prompter.messages,
            std::vector<Shown>{ArchiveError("nieprawidłowe lub uszkodzone archiwum ZIP: big.lef")});
  EXPECT_EQ(Snapshot(fileops::FsPath(scene.dest)), kFirstWritten);
}

#ifndef _WIN32
// A link already in the folder is the user's: it stands in the way, and no member is carried out
// of the folder through it or written through it.
TEST(HostileLinks, DirectoryLinkInTheFolderIsInTheWay) {
  Scene scene;
  TempDir outside;
  fs::create_directory_symlink(outside.fs(), fileops::FsPath(scene.dest + "sub"));
  WriteBytes(scene.archive, BuildZip({Member("zawody.lef", "ok"), Member("sub/x.lef", "zły")}));
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  EXPECT_EQ(
      prompter.messages,
      std::vector<Shown>{ArchiveError("plik o tej nazwie już istnieje: " + scene.dest + "sub")});
  EXPECT_EQ(Snapshot(fileops::FsPath(scene.dest)),
            (Tree{{"stary.txt", "stary"}, {"sub", "<link>"}}));
  EXPECT_EQ(Listing(outside.fs()), Strings{});
}

TEST(HostileLinks, FileLinkIsInTheWayNotWrittenThrough) {
  Scene scene;
  TempDir outside;
  WriteBytes(outside.file("cel.lef"), "cel");
  fs::create_symlink(outside.fs() / "cel.lef", fileops::FsPath(scene.dest + "zawody.lef"));
  WriteBytes(scene.archive, BuildZip("zawody.lef", "nowy"));
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", scene.archive, scene.dest));
  EXPECT_EQ(prompter.messages, std::vector<Shown>{ArchiveError("plik o tej nazwie już istnieje: " +
                                                               scene.dest + "zawody.lef")});
  EXPECT_EQ(ReadBytes(outside.file("cel.lef")), "cel");
  EXPECT_EQ(Snapshot(fileops::FsPath(scene.dest)),
            (Tree{{"stary.txt", "stary"}, {"zawody.lef", "<link>"}}));
}
#endif

}  // namespace
}  // namespace rostrel
