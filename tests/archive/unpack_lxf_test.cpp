#include "archive/unpack_lxf.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "archive/shell_zip.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using testing::Listing;
using testing::MakeArchive;
using testing::ReadBytes;
using testing::Shown;
using testing::Stop;
using testing::TempDir;
using testing::TestMember;
using testing::WriteBytes;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct OutcomeCase {
  const char* label;
  std::vector<TestMember> members;
  Strings before;  // files already in the folder, beside baza.lxf
  UnpackResult::Kind kind;
  std::string document;   // file name of the document found
  Strings after;          // the folder afterwards, baza.lxf included
  Strings messages = {};  // what the user is told
};

void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.label; }

class UnpackOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

// Each case also takes away what was unpacked, as the actions do when they end: the folder is
// then as it was before, files that were there included.
TEST_P(UnpackOutcomeTest, YieldsTheOutcomeAndRemovesTheCopy) {
  const OutcomeCase& c = GetParam();
  TempDir dir;
  if (c.members.empty()) {
    WriteBytes(dir.file("baza.lxf"), std::string("PK\x05\x06") + std::string(18, '\0'));
  } else {
    ASSERT_EQ(MakeArchive(dir.file("baza.lxf"), c.members, ZIP_CM_DEFLATE), "");
  }
  const std::string lxf = ReadBytes(dir.file("baza.lxf"));
  for (const std::string& name : c.before) {
    fs::create_directories(fileops::FsPath(dir.file(name)).parent_path());
    WriteBytes(dir.file(name), "stary");
  }
  // A copy left from elsewhere is the program's own file: overwritten, then removed.
  Strings before = Listing(dir.fs());
  std::erase(before, "baza.lxf.zip");
  FakePrompter prompter;
  UnpackedFiles unpacked;
  const UnpackResult result = UnpackLxf(prompter, dir.file("baza.lxf"), unpacked);
  EXPECT_EQ(result.kind, c.kind);
  EXPECT_EQ(result.documentPath, c.document.empty() ? "" : dir.file(c.document));
  Strings texts;
  for (const auto& m : prompter.messages) texts.push_back(m.text);
  EXPECT_EQ(texts, c.messages);
  for (const auto& m : prompter.messages)
    EXPECT_EQ(m.icon, m.title == "error" ? Icon::Warning : Icon::Stop);
  EXPECT_EQ(Listing(dir.fs()), c.after);
  EXPECT_EQ(ReadBytes(dir.file("baza.lxf")), lxf);
  if (c.kind != UnpackResult::ArchiveFailed) {
    for (const TestMember& m : c.members) {
      if (!m.directory) {
        EXPECT_EQ(ReadBytes(dir.file(m.name)), m.data) << m.name;
      }
    }
  }
  RemoveUnpacked(prompter, unpacked);
  EXPECT_EQ(prompter.messages.size(), c.messages.size());
  EXPECT_EQ(Listing(dir.fs()), before);
  for (const std::string& name : c.before) {
    if (name != "baza.lxf.zip") {
      EXPECT_EQ(ReadBytes(dir.file(name)), "stary") << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Archives, UnpackOutcomeTest,
    ::testing::Values(
        OutcomeCase{"OneDocument",
                    {{"zawody.lef", "<LENEX>"}},
                    {},
                    UnpackResult::DocumentFound,
                    "zawody.lef",
                    {"baza.lxf", "zawody.lef"}},
        OutcomeCase{"UpperCaseDocument",
                    {{"DOC.LEF", "<LENEX>"}},
                    {},
                    UnpackResult::DocumentFound,
                    "DOC.LEF",
                    {"DOC.LEF", "baza.lxf"}},
        OutcomeCase{"DocumentBesideOtherMembers",
                    {{"opis.txt", "o"}, {"zawody.lef", "<LENEX>"}, {"inne/x.lef", "x"}},
                    {},
                    UnpackResult::DocumentFound,
                    "zawody.lef",
                    {"baza.lxf", "inne", "inne/x.lef", "opis.txt", "zawody.lef"}},
        OutcomeCase{"TwoDocuments",
                    {{"a.lef", "a"}, {"b.lef", "b"}},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"a.lef", "b.lef", "baza.lxf"},
                    {kSeveralDocumentsMessage}},
        OutcomeCase{"NoDocument",
                    {{"opis.txt", "o"}},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "opis.txt"},
                    {kNoDocumentMessage}},
        OutcomeCase{"EmptyArchive",
                    {},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf"},
                    {kNoDocumentMessage}},
        OutcomeCase{"DirectoryNamedLikeADocument",
                    {{"x.lef/", "", true}},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "x.lef"},
                    {kNoDocumentMessage}},
        OutcomeCase{"OlderDocumentInTheFolder",
                    {{"zawody.lef", "<LENEX>"}},
                    {"stary.lef"},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "stary.lef", "zawody.lef"},
                    {kSeveralDocumentsMessage}},
        // A file that was there before is never replaced, and folders that were there are
        // used as they are and kept.
        OutcomeCase{"SameNameIsRefused",
                    {{"zawody.lef", "<LENEX>"}},
                    {"zawody.lef"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "zawody.lef"},
                    {"Element archiwum zastąpiłby plik, który już jest w katalogu: zawody.lef",
                     kInvalidArchiveMessage}},
        OutcomeCase{"SameNameInAFolderIsRefused",
                    {{"zawody.lef", "<LENEX>"}, {"inne/opis.txt", "nowy"}},
                    {"inne/opis.txt"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "inne", "inne/opis.txt"},
                    {"Element archiwum zastąpiłby plik, który już jest w katalogu: inne/opis.txt",
                     kInvalidArchiveMessage}},
        OutcomeCase{"FolderThatIsThereIsUsedAndKept",
                    {{"zawody.lef", "<LENEX>"}, {"inne/", "", true}, {"inne/nowy.txt", "n"}},
                    {"inne/stary.txt"},
                    UnpackResult::DocumentFound,
                    "zawody.lef",
                    {"baza.lxf", "inne", "inne/nowy.txt", "inne/stary.txt", "zawody.lef"}},
        OutcomeCase{
            "FoldersMadeAreRemovedDeepestFirst",
            {{"zawody.lef", "<LENEX>"}, {"a/b/c/gleboko.txt", "g"}, {"a/plik.txt", "p"}},
            {},
            UnpackResult::DocumentFound,
            "zawody.lef",
            {"a", "a/b", "a/b/c", "a/b/c/gleboko.txt", "a/plik.txt", "baza.lxf", "zawody.lef"}},
        OutcomeCase{"LeftoverCopyIsOverwrittenAndRemoved",
                    {{"zawody.lef", "<LENEX>"}},
                    {"baza.lxf.zip"},
                    UnpackResult::DocumentFound,
                    "zawody.lef",
                    {"baza.lxf", "zawody.lef"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(UnpackLxf, FolderWithPolishLettersAndBlanks) {
  TempDir root;
  const std::string dir = root.path() + "Zawody śląskie – Łódź 2024/";
  fs::create_directory(fileops::FsPath(dir));
  ASSERT_EQ(MakeArchive(dir + "baza klubu ŻAK.lxf", {{"Zgłoszenie.lef", "ąęśćż"}}), "");
  FakePrompter prompter;
  UnpackedFiles unpacked;
  const UnpackResult result = UnpackLxf(prompter, dir + "baza klubu ŻAK.lxf", unpacked);
  EXPECT_EQ(result.kind, UnpackResult::DocumentFound);
  EXPECT_EQ(result.documentPath, dir + "Zgłoszenie.lef");
  EXPECT_EQ(ReadBytes(result.documentPath), "ąęśćż");
  EXPECT_FALSE(fs::exists(fileops::FsPath(dir + "baza klubu ŻAK.lxf.zip")));
}

struct FailedCase {
  const char* label;
  std::string lxf;    // the LXF file's bytes; "hostile" builds an archive with ../x.lef
  std::string first;  // the description ShellZip shows first
};

void PrintTo(const FailedCase& c, std::ostream* os) { *os << c.label; }

class UnpackFailedTest : public ::testing::TestWithParam<FailedCase> {};

TEST_P(UnpackFailedTest, TellsTheUserTheArchiveIsInvalid) {
  TempDir root;
  const std::string dir = root.path() + "klub/";
  fs::create_directory(fileops::FsPath(dir));
  if (GetParam().lxf == "hostile") {
    ASSERT_EQ(MakeArchive(dir + "baza.lxf", {{"zawody.lef", "ok"}, {"../x.lef", "zły"}}), "");
  } else if (GetParam().lxf.starts_with("member ")) {
    const std::string member = GetParam().lxf.substr(7);
    ASSERT_EQ(MakeArchive(dir + "baza.lxf", {{"zawody.lef", "ok"}, {member, "podmiana"}}), "");
  } else {
    WriteBytes(dir + "baza.lxf", GetParam().lxf);
  }
  const std::string lxf = ReadBytes(dir + "baza.lxf");
  FakePrompter prompter;
  UnpackedFiles unpacked;
  const UnpackResult result = UnpackLxf(prompter, dir + "baza.lxf", unpacked);
  EXPECT_EQ(result.kind, UnpackResult::ArchiveFailed);
  EXPECT_EQ(result.documentPath, "");
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, GetParam().first);
  EXPECT_EQ(prompter.messages[0].title, "error");
  EXPECT_EQ(prompter.messages[1], Stop(kInvalidArchiveMessage));
  EXPECT_EQ(Listing(root.fs()), (Strings{"klub", "klub/baza.lxf"}));
  EXPECT_EQ(ReadBytes(dir + "baza.lxf"), lxf);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnpackFailedTest,
    ::testing::Values(FailedCase{"Text", "<?xml version=\"1.0\"?>\r\n",
                                 "nieprawidłowe lub uszkodzone archiwum ZIP"},
                      FailedCase{"ZeroBytes", "", "nieprawidłowe lub uszkodzone archiwum ZIP"},
                      FailedCase{"Hostile", "hostile", "Niedozwolona nazwa w archiwum: ../x.lef"},
                      // A member may replace neither the LXF file nor the copy being read.
                      FailedCase{"MemberNamedLikeTheFile", "member baza.lxf",
                                 "Element archiwum zastąpiłby rozpakowywany plik: baza.lxf"},
                      FailedCase{"MemberNamedLikeTheCopy", "member baza.lxf.zip",
                                 "Element archiwum zastąpiłby rozpakowywany plik: baza.lxf.zip"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DirectoryPreCheck, RefusesAFolderHoldingAnyDocument) {
  for (const Strings& files : {Strings{"stary.lef"}, Strings{"A.LEF", "b.lef"}}) {
    TempDir dir;
    ASSERT_EQ(MakeArchive(dir.file("baza.lxf"), {{"zawody.lef", "x"}}), "");
    for (const std::string& name : files) WriteBytes(dir.file(name), "x");
    // A copy left from elsewhere is the program's own file: overwritten, then removed.
    Strings before = Listing(dir.fs());
    std::erase(before, "baza.lxf.zip");
    FakePrompter prompter;
    EXPECT_FALSE(DirectoryPreCheck(prompter, dir.file("baza.lxf")));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], Stop(kLefFilesPresentMessage));
    EXPECT_EQ(Listing(dir.fs()), before);
  }
}

TEST(DirectoryPreCheck, LetsAFolderWithoutDocumentsThrough) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("baza.lxf"), {{"zawody.lef", "x"}}), "");
  fs::create_directory(fileops::FsPath(dir.file("katalog.lef")));
  WriteBytes(dir.file("opis.txt"), "x");
  FakePrompter prompter;
  EXPECT_TRUE(DirectoryPreCheck(prompter, dir.file("baza.lxf")));
  EXPECT_TRUE(prompter.messages.empty());
}

class UnpackFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MakeArchive(lxfPath, {{"zawody.lef", "<LENEX>"}}), "");
    lxf = ReadBytes(lxfPath);
  }
  void TearDown() override { fileops::ResetFaults(); }

  TempDir dir;
  std::string lxfPath = dir.file("baza.lxf");
  std::string lxf;
  UnpackedFiles unpacked;
};

TEST_F(UnpackFaultTest, FailedCopyUnpacksNothing) {
  FakePrompter prompter;
  fileops::FailAtCall(1, EACCES);
  const UnpackResult result = UnpackLxf(prompter, lxfPath, unpacked);
  EXPECT_EQ(result.kind, UnpackResult::FileFailed);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], Stop("Nie można skopiować pliku " + lxfPath + " do " + lxfPath +
                                       ".zip: 13 brak uprawnień do pliku lub katalogu"));
  EXPECT_EQ(Listing(dir.fs()), Strings{"baza.lxf"});
  EXPECT_EQ(ReadBytes(lxfPath), lxf);
}

TEST_F(UnpackFaultTest, CopyOntoAFolderFailsWithTheSystemsReason) {
  fs::create_directory(fileops::FsPath(lxfPath + ".zip"));
  FakePrompter prompter;
  const UnpackResult result = UnpackLxf(prompter, lxfPath, unpacked);
  EXPECT_EQ(result.kind, UnpackResult::FileFailed);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text.rfind(
                "Nie można skopiować pliku " + lxfPath + " do " + lxfPath + ".zip: ", 0),
            0u)
      << prompter.messages[0].text;
  EXPECT_EQ(Listing(dir.fs()), (Strings{"baza.lxf", "baza.lxf.zip"}));
  EXPECT_EQ(ReadBytes(lxfPath), lxf);
}

TEST_F(UnpackFaultTest, FailedRemovalOfTheCopyIsReported) {
  FakePrompter prompter;
  fileops::FailAtCall(0, 0);
  ASSERT_EQ(UnpackLxf(prompter, lxfPath, unpacked).kind, UnpackResult::DocumentFound);
  const int calls = fileops::CallCount();  // the removal of the copy is the last one
  fs::remove(fileops::FsPath(dir.file("zawody.lef")));

  fileops::FailAtCall(calls, EBUSY);
  const UnpackResult result = UnpackLxf(prompter, lxfPath, unpacked);
  EXPECT_EQ(result.kind, UnpackResult::FileFailed);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], Stop("Nie można usunąć pliku " + lxfPath +
                                       ".zip: 16 plik jest używany przez inny program"));
  EXPECT_EQ(ReadBytes(lxfPath), lxf);
}

TEST_F(UnpackFaultTest, FailedRemovalAfterAFailedUnpackIsReportedToo) {
  WriteBytes(lxfPath, "to nie jest archiwum");
  FakePrompter prompter;
  fileops::FailAtCall(2, EBUSY);  // the copy, then the removal; unpacking makes no call
  const UnpackResult result = UnpackLxf(prompter, lxfPath, unpacked);
  EXPECT_EQ(result.kind, UnpackResult::FileFailed);
  ASSERT_EQ(prompter.messages.size(), 3u);
  EXPECT_EQ(prompter.messages[0].text, "nieprawidłowe lub uszkodzone archiwum ZIP");
  EXPECT_EQ(prompter.messages[1], Stop(kInvalidArchiveMessage));
  EXPECT_EQ(prompter.messages[2], Stop("Nie można usunąć pliku " + lxfPath +
                                       ".zip: 16 plik jest używany przez inny program"));
}

// Whichever file operation fails, the user is told, the LXF file stays as it was, no document
// is reported, and the copy is gone unless removing it was what failed.
TEST_F(UnpackFaultTest, EveryFailingCallEndsCleanly) {
  FakePrompter counting;
  fileops::FailAtCall(0, 0);
  ASSERT_EQ(UnpackLxf(counting, lxfPath, unpacked).kind, UnpackResult::DocumentFound);
  const int calls = fileops::CallCount();
  EXPECT_GE(calls, 4);  // copy, write and rename of the member, removal
  for (int k = 1; k <= calls; ++k) {
    fs::remove(fileops::FsPath(dir.file("zawody.lef")));
    FakePrompter prompter;
    fileops::FailAtCall(k, EIO);
    const UnpackResult result = UnpackLxf(prompter, lxfPath, unpacked);
    EXPECT_NE(result.kind, UnpackResult::DocumentFound) << k;
    EXPECT_NE(result.kind, UnpackResult::NoSingleDocument) << k;
    ASSERT_FALSE(prompter.messages.empty()) << k;
    EXPECT_EQ(prompter.messages.back().icon, Icon::Stop) << k;
    EXPECT_EQ(ReadBytes(lxfPath), lxf) << k;
    if (k < calls) {
      EXPECT_FALSE(fs::exists(fileops::FsPath(lxfPath + ".zip"))) << k;
    }
    fs::remove(fileops::FsPath(lxfPath + ".zip"));
  }
}

}  // namespace
}  // namespace rostrel
