#include "entries/paste_action.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/shell_zip.h"
#include "archive/unpack_lxf.h"
#include "athletes/read_clubs.h"
#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using Members = std::vector<testing::TestMember>;
using V = std::vector<std::string>;

// An entries document in Windows-1250 with the given version and clubs section.
std::string Document(const std::string& version, const std::string& clubs) {
  return testing::Lenex{testing::kCp1250Declaration, version, "<MEET name=\"Zawody w \xA3odzi\">",
                        true, clubs}
      .Text();
}

const std::string kOldClubs =
    "      <CLUBS>\r\n        <CLUB name=\"Stary\"/>\r\n      </CLUBS>\r\n";
const std::string kClubs =
    "      <CLUBS>\r\n        <CLUB name=\"\xAF\xF3\xB3w, Klub\">\r\n"
    "          <ATHLETE athleteid=\"1\" lastname=\"\xA3\xB9\x6B\x61\"/>\r\n"
    "        </CLUB>\r\n      </CLUBS>\r\n";
const std::string kOtherClubs =
    "      <CLUBS>\r\n        <CLUB name=\"Inny\"/>\r\n      </CLUBS>\r\n";

const std::string kHandlerPrefix = std::string(kProgramErrorMessage) + "\r\n";
const std::string kUnchanged = "Operacja anulowana, plik zgłoszenia nie został zmieniony.";
const std::string kDeniedPhrase = "brak uprawnień do pliku lub katalogu";

class PasteEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::WriteBytes(dbFile, "baza"); }

  void MakeEntries(const Members& members) {
    ASSERT_EQ(testing::MakeArchive(entries, members), "");
    before = testing::ReadBytes(entries);
  }
  void MakeEntries() { MakeEntries({{"zawody.lef", Document("3.0", kOldClubs)}}); }

  bool Paste(const std::string& pick, const std::string& clubs = kClubs) {
    prompter.picks.push_back(pick);
    return PasteEntries(prompter, comIN, dbFile, clubs, kWindows1250);
  }

  testing::TempDir dir{"rostrel-paste"};
  const std::string dbFile = dir.file("baza.lxf");
  const std::string entries = dir.file("zgłoszenie zawody.lxf");
  std::string before;
  FakePrompter prompter;
  FileDialogSettings comIN{".lxf", "LXF (*.lxf)|*.lxf", 1, 0x81000, "/stara/baza.lxf"};
};

TEST_F(PasteEntriesTest, ReplacesTheEntriesFileWithTheRewrittenDocument) {
  MakeEntries();
  EXPECT_TRUE(Paste(entries));

  ASSERT_EQ(prompter.dialogs.size(), 1u);
  const FileDialogSettings& shown = prompter.dialogs[0];
  EXPECT_EQ(shown.defaultExt, ".lxf");
  EXPECT_EQ(shown.filter, "LEF (*.lxf)|*.lxf");
  EXPECT_EQ(shown.fileName, "");
  EXPECT_EQ(shown.filterIndex, 1);
  EXPECT_EQ(shown.flags, 0x81000u);
  EXPECT_EQ(comIN.fileName, entries);  // the dialog keeps the chosen name

  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0],
            (testing::Shown{
                "Czy nadpisać nazwę klubu i dane wszystkich zawodników we wskazanym pliku ? \r\n"
                "Wprowadzonych zmian nie będzie można cofnąć ",
                "Potwierdź nadpisanie pliku", Icon::None, Buttons::OkCancel}));
  EXPECT_EQ(prompter.messages[1], testing::PasteDone(entries));

  EXPECT_EQ(testing::ReadArchive(entries).members,
            (std::map<std::string, std::string>{{"zawody.lef", Document("3.0", kClubs)}}));
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

TEST_F(PasteEntriesTest, ConvertsUtf8ClubsIntoAWindows1250Entries) {
  MakeEntries();
  const std::string utf8Clubs = "<CLUB name=\"\xC5\xBB\xC3\xB3\xC5\x82w\"/>\r\n";
  prompter.picks.push_back(entries);
  EXPECT_TRUE(PasteEntries(prompter, comIN, dbFile, utf8Clubs, kUtf8));
  EXPECT_EQ(testing::ReadArchive(entries).members["zawody.lef"],
            Document("3.0", "<CLUB name=\"\xAF\xF3\xB3w\"/>\r\n"));
}

// Before the entries file is replaced, the new document's tags must balance and nest: a contact
// written with its own end tag pastes whole, a club whose end tag the database lacks is refused
// and the entries file stays as it was, with nothing of ours left behind.
TEST_F(PasteEntriesTest, OnlyADocumentWhoseTagsBalanceIsWritten) {
  const std::string contact =
      "      <CLUBS>\r\n        <CLUB name=\"Foka\">\r\n"
      "          <CONTACT name=\"Jan\">\r\n          </CONTACT>\r\n"
      "        </CLUB>\r\n      </CLUBS>\r\n";
  MakeEntries();
  EXPECT_TRUE(Paste(entries, contact));
  EXPECT_EQ(testing::ReadArchive(entries).members["zawody.lef"], Document("3.0", contact));

  const std::string clubEndMissing =
      "      <CLUBS>\r\n        <CLUB name=\"Foka\">\r\n"
      "          <CONTACT name=\"Jan\" />\r\n      </CLUBS>\r\n";
  MakeEntries();
  prompter = FakePrompter();
  EXPECT_FALSE(Paste(entries, clubEndMissing));
  EXPECT_EQ(prompter.texts(),
            (V{kConfirmText,
               "Po wklejeniu zawodników dokument LEF pliku zgłoszenia byłby uszkodzony: "
               "znacznik </CLUBS> w wierszu 11 nie zamyka otwartego znacznika <CLUB> z "
               "wiersza 9. Operacja anulowana, plik zgłoszenia nie został zmieniony."}));
  EXPECT_EQ(testing::ReadBytes(entries), before);
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

TEST_F(PasteEntriesTest, PastingTwiceReplacesTheFirstPaste) {
  MakeEntries();
  EXPECT_TRUE(Paste(entries));
  EXPECT_TRUE(Paste(entries, kOtherClubs));
  EXPECT_EQ(testing::ReadArchive(entries).members,
            (std::map<std::string, std::string>{{"zawody.lef", Document("3.0", kOtherClubs)}}));
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

TEST_F(PasteEntriesTest, AnEntriesFileNamedZipIsNotPackedInPlace) {
  const std::string zipEntries = dir.file("zgloszenie.zip");
  ASSERT_EQ(testing::MakeArchive(zipEntries, {{"zawody.lef", Document("2.0", kOldClubs)}}), "");
  EXPECT_TRUE(Paste(zipEntries));
  EXPECT_EQ(testing::ReadArchive(zipEntries).members,
            (std::map<std::string, std::string>{{"zawody.lef", Document("2.0", kClubs)}}));
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgloszenie.zip"}));
  EXPECT_EQ(prompter.texts().back(), "Operacja wykonana poprawnie, nadpisano plik: " + zipEntries);
}

TEST_F(PasteEntriesTest, CancelInTheDialogDoesNothing) {
  MakeEntries();
  const auto snapshot = testing::Snapshot(dir.fs());
  EXPECT_FALSE(PasteEntries(prompter, comIN, dbFile, kClubs, kWindows1250));
  EXPECT_EQ(prompter.dialogs.size(), 1u);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
}

TEST_F(PasteEntriesTest, RefusesTheDatabaseFileInAnySpelling) {
  MakeEntries();
#ifdef _WIN32
  // Making a link takes a privilege on Windows; letter case spells the same file there.
  const std::string other = dir.file("BAZA.LXF");
#else
  std::filesystem::create_symlink(dir.fs() / "baza.lxf", dir.fs() / "link.lxf");
  const std::string other = dir.file("link.lxf");
#endif
  const auto snapshot = testing::Snapshot(dir.fs());
  for (const std::string& pick : {dbFile, dir.path() + "./baza.lxf", other}) {
    FakePrompter fresh;
    prompter = fresh;
    EXPECT_FALSE(Paste(pick)) << pick;
    ASSERT_EQ(prompter.messages.size(), 1u) << pick;
    EXPECT_EQ(prompter.messages[0].text,
              "Plik bazy zawodników i plik zgłoszenia to te same pliki, operacja anulowana");
    EXPECT_EQ(prompter.messages[0].icon, Icon::Stop);
    EXPECT_EQ(prompter.messages[0].buttons, Buttons::Ok);
    EXPECT_EQ(prompter.messages[0].title, "Rostrel");
    EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
  }
}

TEST_F(PasteEntriesTest, AnotherFileSpelledLikeTheDatabaseIsNotRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows file names ignore letter case: both spellings name the same file";
#endif
  MakeEntries();
  prompter.picks.push_back(entries);
  // On a disk that tells letter case apart, these name another (here missing) file.
  EXPECT_TRUE(
      PasteEntries(prompter, comIN, dir.file("ZGŁOSZENIE ZAWODY.lxf"), kClubs, kWindows1250));
  EXPECT_EQ(prompter.texts().back(), "Operacja wykonana poprawnie, nadpisano plik: " + entries);
}

TEST_F(PasteEntriesTest, CancelInTheConfirmationChangesNothing) {
  MakeEntries();
  const auto snapshot = testing::Snapshot(dir.fs());
  prompter.answers.push_back(Answer::Cancel);
  EXPECT_FALSE(Paste(entries));
  EXPECT_EQ(prompter.texts(), V{kConfirmText});
  EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
}

TEST_F(PasteEntriesTest, AnInvalidArchiveEndsThePaste) {
  testing::WriteBytes(entries, "to nie jest archiwum ZIP");
  EXPECT_FALSE(Paste(entries));
  ASSERT_GE(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages.back().text, kInvalidArchiveMessage);
  EXPECT_EQ(testing::ReadBytes(entries), "to nie jest archiwum ZIP");
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

TEST_F(PasteEntriesTest, TwoDocumentsAreToldAndTidiedUp) {
  MakeEntries({{"a.lef", Document("3.0", kOldClubs)}, {"b.lef", Document("3.0", kOldClubs)}});
  EXPECT_FALSE(Paste(entries));
  EXPECT_EQ(prompter.texts(), (V{kConfirmText, kSeveralDocumentsMessage}));
  EXPECT_EQ(prompter.messages[1].icon, Icon::Stop);
  EXPECT_EQ(testing::ReadBytes(entries), before);
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

// Pasting first checks the folder as opening does: a LEF document lying beside the entries file
// (a leftover, or the user's own) is refused before anything is copied or unpacked, and the
// user is told what to remove. A file named like the archive's document is refused too.
TEST_F(PasteEntriesTest, ADocumentBesideTheEntriesFileIsRefusedBeforeAnythingIsUnpacked) {
  for (const std::string name : {"zawody.lef", "stary.LEF"}) {
    SCOPED_TRACE(name);
    MakeEntries();
    testing::WriteBytes(dir.file(name), "mój plik");
    const auto snapshot = testing::Snapshot(dir.fs());
    prompter = FakePrompter();
    EXPECT_FALSE(Paste(entries));
    EXPECT_EQ(prompter.texts(), (V{kConfirmText, kLefFilesPresentMessage}));
    EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
    std::filesystem::remove(dir.fs() / fileops::FsPath(name));
  }
}

TEST_F(PasteEntriesTest, AVersionFailureLeavesTheEntriesFile) {
  MakeEntries({{"zawody.lef", Document("1.0", kOldClubs)}});
  EXPECT_FALSE(Paste(entries));
  EXPECT_EQ(prompter.texts(), (V{kConfirmText, WrongVersionText()}));
  EXPECT_EQ(testing::ReadBytes(entries), before);
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

TEST_F(PasteEntriesTest, ARefusedDocumentIsRemovedAndTheEntriesFileKept) {
  MakeEntries(
      {{"zawody.lef", "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</LENEX>\r\n"}});
  EXPECT_FALSE(Paste(entries));
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[1].icon, Icon::Stop);
  EXPECT_EQ(testing::ReadBytes(entries), before);
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

TEST_F(PasteEntriesTest, AFolderWhereTheArchiveGoesLeavesTheEntriesFile) {
#ifdef _WIN32
  GTEST_SKIP()
      << "Windows file names ignore letter case: the folder X.ZIP also blocks the copy X.zip";
#endif
  MakeEntries();
  std::filesystem::create_directory(fileops::FsPath(entries + ".ZIP"));
  testing::WriteBytes(entries + ".ZIP/inny.txt", "cudzy plik");
  EXPECT_FALSE(Paste(entries));
  EXPECT_EQ(testing::ReadBytes(entries), before);
  EXPECT_EQ(prompter.messages, (std::vector<testing::Shown>{
                                   testing::Confirmation(),
                                   testing::EmptyArchiveError("w miejscu pliku jest katalog")}));
  EXPECT_EQ(testing::Listing(dir.fs()),
            (V{"baza.lxf", "zgłoszenie zawody.lxf", "zgłoszenie zawody.lxf.ZIP",
               "zgłoszenie zawody.lxf.ZIP/inny.txt"}));
  EXPECT_EQ(testing::ReadBytes(entries + ".ZIP/inny.txt"), "cudzy plik");
}

// Every file operation of a successful paste, made to fail in turn: the entries file is always
// either the old archive or the complete new one, and the user is told what went wrong.
TEST_F(PasteEntriesTest, EveryFailingFileOperationKeepsTheEntriesFileWhole) {
  // Count the calls of the two archive steps on their own, so that each k can be placed.
  MakeEntries();
  int unpackCalls = 0, packCalls = 0;
  {
    FakePrompter quiet;
    UnpackedFiles files;
    fileops::ResetFaults();
    const UnpackResult unpacked = UnpackLxf(quiet, entries, files);
    unpackCalls = fileops::CallCount();
    ASSERT_EQ(unpacked.kind, UnpackResult::DocumentFound);
    fileops::ResetFaults();
    ASSERT_TRUE(ShellZip(quiet, "ZIPFILE", unpacked.documentPath, entries + ".ZIP"));
    packCalls = fileops::CallCount();
    std::filesystem::remove(fileops::FsPath(unpacked.documentPath));
    std::filesystem::remove(fileops::FsPath(entries + ".ZIP"));
  }
  fileops::ResetFaults();
  ASSERT_TRUE(Paste(entries));
  const int total = fileops::CallCount();
  // read, remove, write, the packing, rename, remove
  ASSERT_EQ(total, unpackCalls + 3 + packCalls + 2);

  const std::string document = dir.file("zawody.lef");
  const std::string denied = std::to_string(EACCES) + " ";
  const int read = unpackCalls + 1, firstRemove = read + 1, write = read + 2,
            rename = write + packCalls + 1, lastRemove = rename + 1;
  for (int k = 1; k <= total; ++k) {
    SCOPED_TRACE("failing call " + std::to_string(k));
    std::filesystem::remove(fileops::FsPath(entries));
    MakeEntries();
    prompter = FakePrompter();
    fileops::FailAtCall(k, EACCES);
    const bool replaced = Paste(entries);
    fileops::ResetFaults();

    ASSERT_TRUE(fileops::IsRegularFile(entries));
    if (k == lastRemove) {
      EXPECT_TRUE(replaced);
      EXPECT_EQ(testing::ReadArchive(entries).members,
                (std::map<std::string, std::string>{{"zawody.lef", Document("3.0", kClubs)}}));
    } else {
      EXPECT_FALSE(replaced);
      EXPECT_EQ(testing::ReadBytes(entries), before);
    }
    ASSERT_GE(prompter.messages.size(), 2u);
    const FakePrompter::Message& last = prompter.messages.back();
    const V names = testing::Listing(dir.fs());
    if (k <= unpackCalls) {
      // The unpacking reports its own failures; it never says the paste succeeded.
      EXPECT_NE(last.icon, Icon::Information);
      bool told = false;
      for (const auto& m : prompter.messages) {
        told = told || m.text.find(kDeniedPhrase) != std::string::npos;
      }
      EXPECT_TRUE(told) << last.text;
      // Whatever else stays behind, the unpacked document does not block the next paste.
      EXPECT_FALSE(fileops::Exists(document));
      std::filesystem::remove(fileops::FsPath(entries + ".zip"));
      continue;
    }
    if (k == read) {
      EXPECT_EQ(last.text, "Nie można odczytać dokumentu LEF z pliku zgłoszenia: " + document +
                               "\r\n" + denied + kDeniedPhrase + "\r\n" + kUnchanged);
      EXPECT_EQ(last.icon, Icon::Stop);
    } else if (k == firstRemove) {
      EXPECT_EQ(last.text, "Nie można usunąć dokumentu LEF: " + document + "\r\n" + denied +
                               kDeniedPhrase + "\r\n" + kUnchanged);
      EXPECT_EQ(last.icon, Icon::Stop);
      std::filesystem::remove(fileops::FsPath(document));
    } else if (k == write || k == rename || k == lastRemove) {
      EXPECT_EQ(last.text, kHandlerPrefix + denied + kDeniedPhrase);
      EXPECT_EQ(last.icon, Icon::None);
      EXPECT_EQ(last.buttons, Buttons::Ok);
      if (k == lastRemove) {
        EXPECT_EQ(names, (V{"baza.lxf", "zawody.lef", "zgłoszenie zawody.lxf"}));
        std::filesystem::remove(fileops::FsPath(document));
      }
    } else {
      // The packing shows its own warning; nothing of ours is left behind.
      EXPECT_EQ(last.icon, Icon::Warning);
      EXPECT_NE(last.text.find(kDeniedPhrase), std::string::npos) << last.text;
    }
    if (last.icon != Icon::Warning) {
      EXPECT_EQ(last.title, "Rostrel");
    }
    EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
  }
}

}  // namespace
}  // namespace rostrel
