#include "athletes/open_action.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/fileops.h"
#include "support/actions.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using testing::ReadBytes;
using testing::TempDir;
using Lines = std::vector<std::string>;

// Writes an LXF file: a ZIP archive with deflated members.
void MakeLxf(const std::string& path, const std::vector<testing::TestMember>& members) {
  ASSERT_EQ(testing::MakeArchive(path, members, ZIP_CM_DEFLATE), "");
}

// Database documents in Windows-1250: "Wiśniewska", "Łódź", "Żaneta".
const std::string kAthletesDoc = testing::Lines({
    R"(<?xml version="1.0" encoding="windows-1250"?>)",
    R"(<LENEX version="3.0">)",
    R"(  <MEETS>)",
    R"(    <MEET name="Baza">)",
    R"(      <CLUBS>)",
    "        <CLUB name=\"UKS \xA3\xF3"
    "d\x9F\" code=\"LDZ\">",
    R"(          <ATHLETES>)",
    "            <ATHLETE athleteid=\"1\" lastname=\"Wi\x9Cniewska\" firstname=\"\xAF"
    "aneta\" "
    "birthdate=\"2001-05-04\" gender=\"F\">",
    R"(              <ENTRIES>)",
    R"(                <ENTRY eventid="1" />)",
    R"(              </ENTRIES>)",
    R"(            </ATHLETE>)",
    R"(            <ATHLETE athleteid="2" lastname="Nowak" firstname="Jan" birthdate="2000-01-02" gender="M">)",
    R"(            </ATHLETE>)",
    R"(          </ATHLETES>)",
    R"(        </CLUB>)",
    R"(      </CLUBS>)",
    R"(    </MEET>)",
    R"(  </MEETS>)",
    R"(</LENEX>)",
});

const std::string kNoAthletesDoc = testing::Lines({
    R"(<?xml version="1.0" encoding="UTF-8"?>)",
    R"(<LENEX version="2.0">)",
    R"(<CLUBS>)",
    R"(  <CLUB name="Pusty klub">)",
    R"(    <CONTACT name="Jan Kowalski" />)",
    R"(  </CLUB>)",
    R"(</CLUBS>)",
    R"(</LENEX>)",
});

const std::string kOldVersionDoc = testing::Lines({
    R"(<?xml version="1.0" encoding="windows-1250"?>)",
    R"(<LENEX version="1.0">)",
    R"(<CLUBS>)",
    R"(<ATHLETE athleteid="1" lastname="Nowak">)",
    R"(</CLUBS>)",
});

// Notes, at each message, whether the unpacked document still exists.
class WatchingPrompter : public FakePrompter {
 public:
  Answer message(const std::string& text, const std::string& title, Icon icon,
                 Buttons buttons) override {
    documentExisted.push_back(!watched.empty() && fileops::Exists(watched));
    return FakePrompter::message(text, title, icon, buttons);
  }
  std::string watched;
  std::vector<bool> documentExisted;
};

class OpenDatabaseTest : public ::testing::Test {
 protected:
  // The names in the database's folder, sorted.
  Lines Folder() const { return testing::Listing(dir.fs()); }

  OpenOutcome Open(const std::string& pick) {
    prompter.picks.push_back(pick);
    return OpenDatabase(prompter, comIN);
  }

  void ExpectOnlyMessage(const std::string& text) {
    EXPECT_EQ(prompter.messages, std::vector<testing::Shown>{testing::Stop(text)});
  }

  TempDir dir{"rostrel-open"};
  WatchingPrompter prompter;
  FileDialogSettings comIN;
  std::string lxf = dir.file("baza.lxf");
};

TEST_F(OpenDatabaseTest, DialogIsSetUpAndCancelGivesNoPath) {
  comIN.fileName = dir.file("poprzednia.lxf");
  comIN.filter = "LEF (*.lxf)|*.lxf";
  comIN.flags = 0x2;
  const OpenOutcome out = OpenDatabase(prompter, comIN);
  EXPECT_EQ(out.kind, OpenOutcome::NoPath);
  EXPECT_EQ(out.dbFile, "");
  EXPECT_FALSE(out.clubsChanged);
  EXPECT_TRUE(out.displayLines.empty());
  EXPECT_TRUE(prompter.messages.empty());
  ASSERT_EQ(prompter.dialogs.size(), 1u);
  const FileDialogSettings& shown = prompter.dialogs[0];
  EXPECT_EQ(shown.defaultExt, ".lxf");
  EXPECT_EQ(shown.filter, "LXF (*.lxf)|*.lxf");
  EXPECT_EQ(shown.filterIndex, 1);
  EXPECT_EQ(shown.flags, 0x81000u);
  EXPECT_EQ(shown.fileName, dir.file("poprzednia.lxf"));  // the name chosen last is offered
}

TEST_F(OpenDatabaseTest, AthletesFound) {
  MakeLxf(lxf, {{"zawody.lef", kAthletesDoc}});
  const std::string lxfBytes = ReadBytes(lxf);
  const OpenOutcome out = Open(lxf);
  EXPECT_EQ(out.kind, OpenOutcome::AthletesFound);
  EXPECT_EQ(out.dbFile, lxf);
  EXPECT_EQ(comIN.fileName, lxf);
  EXPECT_TRUE(out.clubsChanged);
  EXPECT_EQ(out.displayLines, (Lines{"1 Wiśniewska Żaneta 2001-05-04", "2 Nowak Jan 2000-01-02"}));
  // The clubs section stays in the database's own bytes, for the paste.
  EXPECT_EQ(out.clubs.text,
            "      <CLUBS>\r\n"
            "        <CLUB name=\"UKS \xA3\xF3"
            "d\x9F\" code=\"LDZ\">\r\n"
            "          <ATHLETES>\r\n"
            "            <ATHLETE athleteid=\"1\" lastname=\"Wi\x9Cniewska\" firstname=\"\xAF"
            "aneta\" birthdate=\"2001-05-04\" gender=\"F\">\r\n"
            "            </ATHLETE>\r\n"
            "            <ATHLETE athleteid=\"2\" lastname=\"Nowak\" firstname=\"Jan\" "
            "birthdate=\"2000-01-02\" gender=\"M\">\r\n"
            "            </ATHLETE>\r\n"
            "          </ATHLETES>\r\n"
            "        </CLUB>\r\n"
            "      </CLUBS>\r\n");
  EXPECT_EQ(out.clubs.encoding, "Windows-1250");
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(Folder(), Lines{"baza.lxf"});  // the document is gone
  EXPECT_EQ(ReadBytes(lxf), lxfBytes);
}

TEST_F(OpenDatabaseTest, NoAthletesIsToldAfterTheDocumentIsDeleted) {
  MakeLxf(lxf, {{"baza.lef", kNoAthletesDoc}});
  prompter.watched = dir.file("baza.lef");
  const OpenOutcome out = Open(lxf);
  EXPECT_EQ(out.kind, OpenOutcome::NoAthletes);
  EXPECT_EQ(out.dbFile, lxf);
  EXPECT_TRUE(out.clubsChanged);
  EXPECT_EQ(out.clubs.text,
            "<CLUBS>\r\n  <CLUB name=\"Pusty klub\">\r\n    <CONTACT name=\"Jan Kowalski\" />\r\n"
            "  </CLUB>\r\n</CLUBS>\r\n");
  EXPECT_EQ(out.clubs.encoding, "UTF-8");
  EXPECT_TRUE(out.displayLines.empty());
  ExpectOnlyMessage("We wskazanym pliku LXF nie ma bazy zawodników");
  EXPECT_EQ(prompter.documentExisted, std::vector<bool>{false});
  EXPECT_EQ(Folder(), Lines{"baza.lxf"});
}

// An opening that lists no athletes: the outcome and what the user is told; whatever was copied
// or unpacked is taken away again, and the folder holds the database, as it was, and the user's
// own file beside it, if any.
TEST_F(OpenDatabaseTest, AnOpeningThatListsNoAthletesIsToldAndTidiedUp) {
  using testing::Stop;
  const struct {
    const char* name;
    std::vector<testing::TestMember> members;  // none: the database is no archive at all
    const char* beside;                        // a file of the user's in the folder, or null
    OpenOutcome::Kind kind;
    std::vector<testing::Shown> shown;
  } cases[] = {
      // clang-format off
      {"VersionFailure", {{"baza.lef", kOldVersionDoc}}, nullptr, OpenOutcome::VersionFailure,
       {Stop("Otwierany plik jest w niewłaściwej wersji. Aby rozwiązać problem, zajrzyj do "
             "instrukcji https://rostrel.pl/instrukcja/ ")}},
      // Nothing is copied or unpacked.
      {"LefFileBeside", {{"zawody.lef", kAthletesDoc}}, "Stary.LEF", OpenOutcome::Ended,
       {Stop("Uwaga, w katalogu z którym wybrano plik LXF istnieją pliki LEF. Usuń pliki LEF z "
             "wskazanego katalogu !!")}},
      // The archive routine's own description comes first, then ours.
      {"InvalidArchive", {}, nullptr, OpenOutcome::Ended,
       {testing::ArchiveError("nieprawidłowe lub uszkodzone archiwum ZIP"),
        Stop("Uwaga, nieprawidłowe archiwum LXF, skontaktuj się z autorem programu")}},
      {"NoDocument", {{"czytaj.txt", "nic"}}, nullptr, OpenOutcome::Ended,
       {Stop("Archiwum LXF nie zawiera dokumentu LEF (pliku z rozszerzeniem .lef). Sprawdź, czy "
             "wybrano właściwy plik, i wskaż plik LXF z jednym dokumentem LEF.")}},
      {"SeveralDocuments",
       {{"a.lef", kAthletesDoc}, {"b.lef", kAthletesDoc}, {"opis/czytaj.txt", "nic"}}, nullptr,
       OpenOutcome::Ended,
       {Stop("Archiwum LXF zawiera kilka dokumentów LEF (plików z rozszerzeniem .lef), a program "
             "może odczytać tylko jeden. Wskaż plik LXF z jednym dokumentem LEF.")}},
      // Read on, the rest of the document would be one tag: athlete 2 would be lost unsaid.
      {"QuoteThatRunsOn",
       {{"baza.lef", testing::ReplaceAll(kAthletesDoc, "\"Nowak\"", "Nowak'")}, {"opis.txt", ""}},
       nullptr, OpenOutcome::Ended,
       {Stop("Baza zawodników jest uszkodzona:\r\n" + lxf + "\r\nW jej dokumencie LEF cudzysłów "
             "otwarty w wierszu 13 nie został zamknięty przed znakiem <. Otwórz bazę w programie, "
             "w którym ją utworzono, zapisz ją ponownie i otwórz ją tutaj jeszcze raz.")}},
      {"EncodingNotHandled",
       {{"baza.lef", testing::ReplaceAll(kAthletesDoc, "windows-1250", "KOI8-R")}}, nullptr,
       OpenOutcome::Ended,
       {Stop("Baza zawodników jest w kodowaniu znaków KOI8-R, którego program nie obsługuje. "
             "Otwórz bazę w programie, w którym ją utworzono, zapisz ją ponownie w kodowaniu "
             "UTF-8 lub Windows-1250 i otwórz ją tutaj jeszcze raz.")}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.members.empty())
      testing::WriteBytes(lxf, "to nie jest archiwum ZIP");
    else
      MakeLxf(lxf, c.members);
    if (c.beside) testing::WriteBytes(dir.file(c.beside), "x");
    const std::string bytes = ReadBytes(lxf);
    prompter.messages.clear();
    const OpenOutcome out = Open(lxf);
    EXPECT_EQ(out.kind, c.kind);
    EXPECT_EQ(out.dbFile, lxf);
    EXPECT_EQ(out.clubsChanged, c.kind == OpenOutcome::VersionFailure);
    EXPECT_EQ(out.clubs.text, "");
    EXPECT_TRUE(out.displayLines.empty());
    EXPECT_EQ(prompter.messages, c.shown);
    EXPECT_EQ(ReadBytes(lxf), bytes);
    EXPECT_EQ(Folder(), (c.beside ? Lines{c.beside, "baza.lxf"} : Lines{"baza.lxf"}));
    if (c.beside) std::filesystem::remove(dir.fs() / c.beside);
  }
}

// Every file operation of an opening, made to fail in turn: the user is told exactly what went
// wrong, the database stays as it was, nothing stays in its folder but the file the user was
// told of, and once that is gone the next opening finds the athletes (after the run without a
// fault, the same database opens twice in a row). The database holds a second member beside
// its document, so that removing what was unpacked runs under the fault.
TEST_F(OpenDatabaseTest, EachFailingFileOperationIsToldAndLeavesTheDatabase) {
  using testing::Stop, testing::UnpackFailed;
  MakeLxf(lxf, {{"zawody.lef", kAthletesDoc}, {"opis.txt", "opis bazy"}});
  const std::string bytes = ReadBytes(lxf), document = dir.file("zawody.lef"),
                    opis = dir.file("opis.txt");
  const std::string phrase = "błąd odczytu lub zapisu na dysku";
  const std::string why = std::to_string(EIO) + " " + phrase;
  struct Row {
    std::vector<testing::Shown> shown;
    OpenOutcome::Kind kind;
    std::string left;  // the one file left in the folder, if any
  };
  const OpenOutcome::Kind ended = OpenOutcome::Ended, found = OpenOutcome::AthletesFound;
  const std::vector<Row> rows = {
      {{UnpackFailed(phrase + ": " + document)}, ended, ""},  // making the document's file
      {{UnpackFailed(phrase + ": " + document)}, ended, ""},  // writing it out
      {{UnpackFailed(phrase + ": " + document)}, ended, ""},  // giving it its name
      {{UnpackFailed(phrase + ": " + opis)}, ended, ""},      // the same for opis.txt
      {{UnpackFailed(phrase + ": " + opis)}, ended, ""},
      {{UnpackFailed(phrase + ": " + opis)}, ended, ""},
      {{Stop("Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" + document + "\r\n" + why)},
       ended,
       ""},
      {{Stop("Nie udało się usunąć pliku LEF rozpakowanego z bazy zawodników:\r\n" + document +
             "\r\nUsuń ten plik, zanim ponownie otworzysz bazę.\r\n" + why)},
       ended,
       "zawody.lef"},
      {{Stop("Nie udało się usunąć plików rozpakowanych z archiwum LXF. Usuń je ręcznie:\r\n" +
             opis + " (" + why + ")")},
       found,
       "opis.txt"},
      {{}, found, ""},  // no operation fails
  };
  const Lines athletes = {"1 Wiśniewska Żaneta 2001-05-04", "2 Nowak Jan 2000-01-02"};
  OpenOutcome out;
  testing::SweepFileFaults(
      EIO, rows, [&] { prompter.messages.clear(); }, [&] { out = Open(lxf); },
      [&](const Row& row) {
        const bool athletesFound = row.kind == found;
        EXPECT_EQ(prompter.messages, row.shown);
        EXPECT_EQ(out.kind, row.kind);
        EXPECT_EQ(out.dbFile, lxf);
        EXPECT_EQ(out.clubsChanged, athletesFound);
        EXPECT_EQ(out.displayLines, athletesFound ? athletes : Lines{});
        EXPECT_EQ(ReadBytes(lxf), bytes);
        Lines listing = {"baza.lxf"};
        if (!row.left.empty()) listing.push_back(row.left);
        std::sort(listing.begin(), listing.end());
        EXPECT_EQ(Folder(), listing);

        if (!row.left.empty()) std::filesystem::remove(dir.fs() / fileops::FsPath(row.left));
        prompter.messages.clear();
        EXPECT_EQ(Open(lxf).displayLines, athletes);
        EXPECT_TRUE(prompter.messages.empty());
        EXPECT_EQ(Folder(), Lines{"baza.lxf"});
      });
}

}  // namespace
}  // namespace rostrel
