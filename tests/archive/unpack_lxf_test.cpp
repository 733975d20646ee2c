#include "archive/unpack_lxf.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "archive/shell_zip.h"
#include "support/actions.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel {
namespace {

using testing::ArchiveError;
using testing::FakePrompter;
using testing::InFolder;
using testing::InvalidArchive;
using testing::Listing;
using testing::MakeArchive;
using testing::ReadBytes;
using testing::Shown;
using testing::Stop;
using testing::TempDir;
using testing::TestMember;
using testing::UnpackFailed;
using testing::WriteBytes;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Messages = std::vector<Shown>;

struct OutcomeCase {
  const char* label;
  std::vector<TestMember> members;
  Strings before;  // files already in the folder, beside baza.lxf
  UnpackResult::Kind kind;
  std::string document;  // file name of the document found
  Strings after;         // the folder afterwards, baza.lxf included
  Messages messages = {};
};

void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.label; }

class UnpackOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

// Each case also takes away what was unpacked, as the actions do when they end: the folder is
// then as it was before, files that were there included.
TEST_P(UnpackOutcomeTest, YieldsTheOutcomeAndLeavesTheFolderAsItWas) {
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
  const Strings before = Listing(dir.fs());
  FakePrompter prompter;
  UnpackedFiles unpacked;
  const UnpackResult result = UnpackLxf(prompter, dir.file("baza.lxf"), unpacked);
  EXPECT_EQ(result.kind, c.kind);
  EXPECT_EQ(result.documentPath, c.document.empty() ? "" : dir.file(c.document));
  EXPECT_EQ(prompter.messages, InFolder(c.messages, dir.path()));
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
  for (const std::string& name : c.before) EXPECT_EQ(ReadBytes(dir.file(name)), "stary") << name;
}

// Refusals of the archive routine come under its own title, then the invalid-archive message.
Messages Refused(const std::string& description) {
  return {ArchiveError(description), InvalidArchive()};
}

// What the user is told of a file or folder of theirs that stands where a member must go.
Messages InTheWay(const std::string& path) {
  return {
      Stop("W katalogu pliku LXF jest już plik lub katalog, który przeszkadza w rozpakowaniu "
           "archiwum:\r\n" +
           path +
           "\r\nProgram go nie zastąpi. Przenieś go w inne miejsce albo zmień jego nazwę i "
           "spróbuj ponownie.")};
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
                    {Stop(kSeveralDocumentsMessage)}},
        OutcomeCase{"NoDocument",
                    {{"opis.txt", "o"}},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "opis.txt"},
                    {Stop(kNoDocumentMessage)}},
        OutcomeCase{"EmptyArchive",
                    {},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf"},
                    {Stop(kNoDocumentMessage)}},
        OutcomeCase{"DirectoryNamedLikeADocument",
                    {{"x.lef/", "", true}},
                    {},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "x.lef"},
                    {Stop(kNoDocumentMessage)}},
        OutcomeCase{"OlderDocumentInTheFolder",
                    {{"zawody.lef", "<LENEX>"}},
                    {"stary.lef"},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "stary.lef", "zawody.lef"},
                    {Stop(kSeveralDocumentsMessage)}},
        // A member may not replace the LXF file it is read from.
        OutcomeCase{"MemberNamedLikeTheFile",
                    {{"zawody.lef", "ok"}, {"baza.lxf", "podmiana"}},
                    {},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf"},
                    Refused("Element archiwum zastąpiłby rozpakowywany plik: baza.lxf")},
        // A file that was there before is never replaced, nor is one needed as a folder: both
        // are found before anything is written. Folders that were there are used and kept.
        OutcomeCase{"SameNameIsRefused",
                    {{"zawody.lef", "<LENEX>"}},
                    {"zawody.lef"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "zawody.lef"},
                    InTheWay("@zawody.lef")},
        OutcomeCase{"SameNameInAFolderIsRefused",
                    {{"zawody.lef", "<LENEX>"}, {"inne/opis.txt", "nowy"}},
                    {"inne/opis.txt"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "inne", "inne/opis.txt"},
#ifdef _WIN32
                    InTheWay("@inne\\opis.txt")},  // below the folder, Windows' own separator
#else
                    InTheWay("@inne/opis.txt")},
#endif
        OutcomeCase{"FileWhereAFolderIsNeeded",
                    {{"zawody.lef", "<LENEX>"}, {"inne/x.lef", "x"}},
                    {"inne"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "inne"},
                    InTheWay("@inne")},
        OutcomeCase{"FileWhereADeeperFolderIsNeeded",
                    {{"zawody.lef", "<LENEX>"}, {"inne/x/y.lef", "y"}},
                    {"inne/x"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "inne", "inne/x"},
#ifdef _WIN32
                    InTheWay("@inne\\x")},
#else
                    InTheWay("@inne/x")},
#endif
        OutcomeCase{"FileWhereAFolderMemberGoes",
                    {{"zawody.lef", "<LENEX>"}, {"inne/", "", true}},
                    {"inne"},
                    UnpackResult::ArchiveFailed,
                    "",
                    {"baza.lxf", "inne"},
                    InTheWay("@inne")},
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
        // The archive is read where it lies: a file named like a copy of it is the user's.
        OutcomeCase{"FileNamedLikeACopyIsLeftAlone",
                    {{"zawody.lef", "<LENEX>"}},
                    {"baza.lxf.zip"},
                    UnpackResult::DocumentFound,
                    "zawody.lef",
                    {"baza.lxf", "baza.lxf.zip", "zawody.lef"}},
        // Only a document the archive held is found.
        OutcomeCase{"DocumentNotFromTheArchive",
                    {{"opis.txt", "o"}},
                    {"stary.lef"},
                    UnpackResult::NoSingleDocument,
                    "",
                    {"baza.lxf", "opis.txt", "stary.lef"},
                    {Stop(kNoDocumentMessage)}}),
    [](const auto& info) { return std::string(info.param.label); });

// Any file ending in .lef, in any letter case, stops the check; folders and other files do not.
TEST(DirectoryPreCheck, RefusesAFolderHoldingAnyDocument) {
  const struct {
    Strings files;  // a name ending in '/' is a folder
    bool passes;
  } cases[] = {
      {{"stary.lef"}, false}, {{"A.LEF", "b.lef"}, false}, {{"katalog.lef/", "opis.txt"}, true}};
  for (const auto& c : cases) {
    TempDir dir;
    ASSERT_EQ(MakeArchive(dir.file("baza.lxf"), {{"zawody.lef", "x"}}), "");
    for (const std::string& name : c.files) {
      if (name.ends_with('/')) {
        fs::create_directory(fileops::FsPath(dir.file(name)));
      } else {
        WriteBytes(dir.file(name), "x");
      }
    }
    const Strings before = Listing(dir.fs());
    FakePrompter prompter;
    EXPECT_EQ(DirectoryPreCheck(prompter, dir.file("baza.lxf")), c.passes) << c.files[0];
    EXPECT_EQ(prompter.messages, c.passes ? Messages{} : Messages{Stop(kLefFilesPresentMessage)});
    EXPECT_EQ(Listing(dir.fs()), before);
  }
}

constexpr const char* kInUse = "16 plik jest używany przez inny program";

// Real faults of the disk, met as an ordinary user: an LXF file the user may not read, and a
// folder the user may not write, where a member needs a folder of its own.
TEST(UnpackLxf, WhatTheUserMayNotReadOrWriteIsTold) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("baza.lxf"), {{"sub/x.lef", "x"}}), "");
  ASSERT_EQ(MakeArchive(dir.file("zamknięty.lxf"), {{"x.lef", "x"}}), "");
  fs::permissions(fileops::FsPath(dir.file("zamknięty.lxf")), fs::perms::none);
  fs::permissions(dir.fs(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const Strings before = Listing(dir.fs());
  testing::AsOrdinaryUser([&] {
    std::string failed;
    for (const auto& [lxf, what] : {std::pair{dir.file("zamknięty.lxf"), dir.file("zamknięty.lxf")},
                                    std::pair{dir.file("baza.lxf"), dir.file("sub")}}) {
      FakePrompter prompter;
      UnpackedFiles unpacked;
      if (UnpackLxf(prompter, lxf, unpacked).kind != UnpackResult::ArchiveFailed)
        failed += lxf + " was unpacked; ";
      if (prompter.messages !=
          Messages{UnpackFailed("brak uprawnień do pliku lub katalogu: " + what)})
        failed += ::testing::PrintToString(prompter.messages) + "; ";
    }
    if (Listing(dir.fs()) != before) failed += "the folder changed";
    return failed;
  });
}

}  // namespace
}  // namespace rostrel
