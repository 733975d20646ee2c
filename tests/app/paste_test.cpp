#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "common/fileops.h"
#include "common/prompter.h"
#include "gui_helpers.h"
#include "support/fake_prompter.h"
#include "support/sample_documents.h"
#include "window_fixture.h"

namespace rostrel::testing {
namespace {

const char* const kConfirmation =
    "Czy nadpisać nazwę klubu i dane wszystkich zawodników we wskazanym pliku ? \r\n"
    "Wprowadzonych zmian nie będzie można cofnąć ";
const char* const kSameFiles =
    "Plik bazy zawodników i plik zgłoszenia to te same pliki, operacja anulowana";

// A window with a database opened and its athletes copied over, and a meet's entries file in a
// folder of its own, ready to paste.
class PasteTest : public WindowTest {
 public:
  void Prepare(const std::string& database, const std::string& entriesName) {
    db = Example(database, "baza");
    entries = Example(entriesName, "zawody");
    Open(db);
    Click(window, "ComGetAll");
    ASSERT_EQ(Lines(window, "lstOUT"), kBazaLines);
    ASSERT_TRUE(Enabled(window, "CmdSaveOUT"));
    prompter.messages.clear();
    original = ReadBytes(entries);
    originalDocument = ReadArchive(entries).members["zawody.lef"];
    ASSERT_FALSE(originalDocument.empty());
  }

  void ExpectUnchanged() {
    EXPECT_EQ(ReadBytes(entries), original);
    EXPECT_EQ(Listing(dir.fs() / "zawody"), std::vector<std::string>{Name(entries)});
    EXPECT_EQ(Listing(dir.fs() / "baza"), std::vector<std::string>{Name(db)});
  }

  static std::string Name(const std::string& path) {
    return fileops::Utf8(fileops::FsPath(path).filename());
  }

  std::string db, entries, original, originalDocument;
};

struct Pair {
  const char* name;
  const char* database;
  const char* entries;
  samples::Encoding entriesEncoding;
};

void PrintTo(const Pair& c, std::ostream* os) { *os << c.name; }

class PasteEndToEnd : public PasteTest, public ::testing::WithParamInterface<Pair> {};

TEST_P(PasteEndToEnd, ReplacesTheEntriesFileAndTidiesUp) {
  Prepare(GetParam().database, GetParam().entries);
  const auto stateBefore = std::make_tuple(Lines(window, "lstIN"), Lines(window, "lstOUT"),
                                           window.dbFile(), window.clubsText());
  Paste(entries);

  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0], testing::Confirmation());
  EXPECT_EQ(prompter.messages[1], testing::PasteDone(entries));

  const FileDialogSettings& shown = prompter.dialogs.back();
  EXPECT_EQ(shown.defaultExt, ".lxf");
  EXPECT_EQ(shown.filter, "LEF (*.lxf)|*.lxf");
  EXPECT_EQ(shown.filterIndex, 1);
  EXPECT_EQ(shown.flags, 0x81000u);
  EXPECT_EQ(shown.fileName, "");  // never the database's name from the open before
  EXPECT_EQ(window.dialog().fileName, entries);

  const auto members = ReadArchive(entries).members;
  ASSERT_EQ(members.size(), 1u);
  ASSERT_EQ(members.begin()->first, "zawody.lef");
  const std::string& pasted = members.begin()->second;
  EXPECT_EQ(pasted, samples::Pasted(GetParam().entriesEncoding));
  EXPECT_NE(pasted.find("UKS Delfin"), std::string::npos);
  EXPECT_NE(pasted.find("</SESSIONS>"), std::string::npos);

  EXPECT_EQ(Listing(dir.fs() / "zawody"), std::vector<std::string>{Name(entries)});
  EXPECT_EQ(Listing(dir.fs() / "baza"), std::vector<std::string>{Name(db)});
  EXPECT_EQ(ReadBytes(db), ReadBytes(std::string(ROSTREL_EXAMPLES_DIR) + "/" + Name(db)));
  EXPECT_EQ(std::make_tuple(Lines(window, "lstIN"), Lines(window, "lstOUT"), window.dbFile(),
                            window.clubsText()),
            stateBefore);
  EXPECT_TRUE(Enabled(window, "CmdSaveOUT"));
  EXPECT_TRUE(Enabled(window, "ComGetAll"));

  // Pasting again replaces the section pasted the first time; it is not inserted twice.
  Paste(entries);
  EXPECT_EQ(ReadArchive(entries).members["zawody.lef"], pasted);
  EXPECT_EQ(prompter.messages.back().text,
            "Operacja wykonana poprawnie, nadpisano plik: " + entries);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, PasteEndToEnd,
    ::testing::Values(
        Pair{"Cp1250IntoCp1250", "baza-cp1250.lxf", "zgloszenie-cp1250.lxf", samples::kCp1250},
        Pair{"Utf8IntoUtf8", "baza-utf8.lxf", "zgloszenie-utf8.lxf", samples::kUtf8},
        Pair{"Utf8IntoCp1250", "baza-utf8.lxf", "zgloszenie-cp1250.lxf", samples::kCp1250},
        Pair{"Cp1250IntoUtf8", "baza-cp1250.lxf", "zgloszenie-utf8.lxf", samples::kUtf8}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
  const char* name;
  // The path to pick, given the database's and the entries file's paths ("" cancels).
  std::function<std::string(PasteTest&)> pick;
  Answer confirm;
  std::vector<std::string> messages;  // texts, in order
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class PasteRefusal : public PasteTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(PasteRefusal, LeavesEveryFileAsItWas) {
  Prepare("baza-cp1250.lxf", "zgloszenie-cp1250.lxf");
  const std::string pick = GetParam().pick(*this);
  Paste(pick, GetParam().confirm);
  std::vector<std::string> texts;
  for (const auto& m : prompter.messages) texts.push_back(m.text);
  EXPECT_EQ(texts, GetParam().messages);
  if (!prompter.messages.empty() && prompter.messages[0].text == kSameFiles) {
    EXPECT_EQ(prompter.messages[0].icon, Icon::Stop);
    EXPECT_EQ(prompter.messages[0].title, "Rostrel");
  }
  ExpectUnchanged();
}

const Refusal kRefusals[] = {
    {"DialogCancelled", [](PasteTest&) { return std::string(); }, Answer::Ok, {}},
    {"TheDatabaseItself", [](PasteTest& t) { return t.db; }, Answer::Ok, {kSameFiles}},
    {"TheDatabaseThroughDotSlash",
     [](PasteTest& t) { return t.Folder("baza") + "./" + PasteTest::Name(t.db); },
     Answer::Ok,
     {kSameFiles}},
    {"TheDatabaseThroughAnotherFolder",
     [](PasteTest& t) { return t.Folder("zawody") + "../baza/" + PasteTest::Name(t.db); },
     Answer::Ok,
     {kSameFiles}},
#ifdef _WIN32
    // Making a link takes a privilege on Windows; letter case spells the same file there.
    {"TheDatabaseInCapitals",
     [](PasteTest& t) { return t.Folder("baza") + "BAZA-CP1250.LXF"; },
     Answer::Ok,
     {kSameFiles}},
#else
    {"TheDatabaseThroughALink",
     [](PasteTest& t) {
       const std::string link = t.Folder("linki") + "baza.lxf";
       std::filesystem::create_symlink(fileops::FsPath(t.db), fileops::FsPath(link));
       return link;
     },
     Answer::Ok,
     {kSameFiles}},
#endif
    {"ConfirmationCancelled",
     [](PasteTest& t) { return t.entries; },
     Answer::Cancel,
     {kConfirmation}},
    {"ACopyOfTheDatabaseIsNotRefused",
     [](PasteTest& t) { return t.Example("baza-cp1250.lxf", "kopia"); },
     Answer::Cancel,
     {kConfirmation}},
};

INSTANTIATE_TEST_SUITE_P(Cases, PasteRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasteTest, APackingThatFailsLeavesTheEntriesFileByteForByte) {
#ifdef _WIN32
  GTEST_SKIP()
      << "Windows file names ignore letter case: the folder X.ZIP also blocks the copy X.zip";
#endif
  Prepare("baza-utf8.lxf", "zgloszenie-utf8.lxf");
  std::filesystem::create_directory(fileops::FsPath(entries + ".ZIP"));
  Paste(entries);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, kConfirmation);
  // The archive routines' own failure report.
  EXPECT_TRUE(prompter.messages[1].title == "error" || prompter.messages[1].title == "Error")
      << prompter.messages[1].title;
  EXPECT_EQ(prompter.messages[1].icon, Icon::Warning);
  EXPECT_EQ(ReadBytes(entries), original);
  // The folder in the way stays; the unpacked document does not.
  EXPECT_EQ(Listing(dir.fs() / "zawody"),
            (std::vector<std::string>{Name(entries), Name(entries) + ".ZIP"}));
}

// A file operation that fails anywhere in the paste: the entries file is never lost or left
// half-written, the user is told, and success is reported only when the file was replaced.
TEST_F(PasteTest, AFailingFileOperationNeverLosesTheEntriesFile) {
  Prepare("baza-cp1250.lxf", "zgloszenie-cp1250.lxf");
  for (int k = 1;; ++k) {
    SCOPED_TRACE(k);
    WriteBytes(entries, original);
    prompter.messages.clear();
    fileops::FailAtCall(k, EACCES);
    Paste(entries);
    const bool injected = fileops::CallCount() >= k;
    fileops::ResetFaults();
    ASSERT_TRUE(std::filesystem::exists(fileops::FsPath(entries)));
    const std::string now = ReadBytes(entries);
    const bool success =
        prompter.messages.back().text == "Operacja wykonana poprawnie, nadpisano plik: " + entries;
    if (!injected) {
      EXPECT_TRUE(success);
      EXPECT_GT(k, 3);
      break;
    }
    EXPECT_GE(prompter.messages.size(), 2u) << "the failure was not reported";
    EXPECT_FALSE(success);
    if (now != original) {
      EXPECT_EQ(ReadArchive(entries).members["zawody.lef"], samples::Pasted(samples::kCp1250));
    }
    // Clear what a failed removal may have left, so that the next round starts clean.
    for (const std::string& name : Listing(dir.fs() / "zawody"))
      if (name != Name(entries)) std::filesystem::remove(dir.fs() / "zawody" / name);
    if (k > 50) FAIL() << "the paste never ran through";
  }
}

}  // namespace
}  // namespace rostrel::testing
