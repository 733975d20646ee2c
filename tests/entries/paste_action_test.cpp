#include "entries/paste_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/unpack_lxf.h"
#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "support/actions.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using Members = std::vector<testing::TestMember>;
using Messages = std::vector<testing::Shown>;
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

const std::string kUnchanged = "Operacja anulowana, plik zgłoszenia nie został zmieniony.";
const std::string kDeniedPhrase = "brak uprawnień do pliku lub katalogu";

class PasteEntriesTest : public ::testing::Test {
 public:
  void SetUp() override { testing::WriteBytes(dbFile, "baza"); }

  void MakeEntries(const Members& members) {
    ASSERT_EQ(testing::MakeArchive(entries, members), "");
    before = testing::ReadBytes(entries);
  }
  void MakeEntries() { MakeEntries({{"zawody.lef", Document("3.0", kOldClubs)}}); }

  bool Paste(const std::string& pick, const std::string& clubs = kClubs,
             const TagBalance& clubsBalance = {}) {
    prompter.picks.push_back(pick);
    return PasteEntries(prompter, comIN, dbFile, {clubs, kWindows1250, clubsBalance});
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

// What the entries archive holds after each paste, one after another: clubs read as UTF-8 in
// the entries file's own encoding, a contact with its own end tag whole, a second paste over the
// first, and an entries file named like a ZIP archive; the folder holds nothing else.
TEST_F(PasteEntriesTest, TheArchiveHoldsThePastedClubsAndNothingIsLeft) {
  const std::string contact =
      "      <CLUBS>\r\n        <CLUB name=\"Foka\">\r\n"
      "          <CONTACT name=\"Jan\">\r\n          </CONTACT>\r\n"
      "        </CLUB>\r\n      </CLUBS>\r\n";
  const struct {
    std::string file, version, clubs, encoding, pasted;
  } rows[] = {
      {entries, "3.0", "<CLUB name=\"\xC5\xBB\xC3\xB3\xC5\x82w\"/>\r\n", kUtf8,
       "<CLUB name=\"\xAF\xF3\xB3w\"/>\r\n"},
      {entries, "3.0", contact, kWindows1250, contact},
      {entries, "3.0", kOtherClubs, kWindows1250, kOtherClubs},
      {dir.file("zgloszenie.zip"), "2.0", kClubs, kWindows1250, kClubs},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.clubs);
    if (!fileops::Exists(row.file))
      ASSERT_EQ(testing::MakeArchive(row.file, {{"zawody.lef", Document(row.version, kOldClubs)}}),
                "");
    prompter = FakePrompter();
    prompter.picks.push_back(row.file);
    EXPECT_TRUE(PasteEntries(prompter, comIN, dbFile, {row.clubs, row.encoding, {}}));
    EXPECT_EQ(prompter.messages, (Messages{testing::Confirmation(), testing::PasteDone(row.file)}));
    EXPECT_EQ(
        testing::ReadArchive(row.file).members,
        (std::map<std::string, std::string>{{"zawody.lef", Document(row.version, row.pasted)}}));
  }
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgloszenie.zip", "zgłoszenie zawody.lxf"}));
}

// The document goes back under the name the entries archive stored it under: the same bytes,
// marked as UTF-8 only where they were. "zgłoszenie.lef" in CP852 (ł is 0x88) without the mark,
// as Windows' compressed folders write it, and in UTF-8 with the mark.
TEST_F(PasteEntriesTest, KeepsTheDocumentsStoredName) {
  for (const testing::CentralName& name : {testing::CentralName{"zg\x88oszenie.lef", false},
                                           testing::CentralName{"zg\xC5\x82oszenie.lef", true}}) {
    testing::RawMember member = testing::Member(name.bytes, Document("3.0", kOldClubs));
    member.flags = name.utf8 ? 0x0800 : 0;
    testing::WriteBytes(entries, testing::BuildZip({member}));
    EXPECT_TRUE(Paste(entries));
    EXPECT_EQ(testing::CentralNames(testing::ReadBytes(entries)),
              std::vector<testing::CentralName>{name});
    EXPECT_EQ(testing::OnlyMember(entries), Document("3.0", kClubs));
  }
}

#ifndef _WIN32
// Picked through a link to a link in another folder, the file at the end is replaced, keeping
// its permission bits, and the links stay as they were. The new archive is written beside that
// file: a folder in the way of one beside the picked link does not matter, and nothing of the
// paste is left anywhere.
TEST_F(PasteEntriesTest, ReplacesTheFileALinkNamesKeepingItsModeAndTheLinks) {
  namespace fs = std::filesystem;
  MakeEntries();
  fs::permissions(fileops::FsPath(entries), fs::perms(0640));
  const std::string link = dir.file("zawody/zgłoszenie.lxf");
  fs::create_directories(fileops::FsPath(link + ".ZIP"));
  fs::create_symlink(fileops::FsPath(entries), dir.fs() / "ogniwo.lxf");
  fs::create_symlink("../ogniwo.lxf", fileops::FsPath(link));
  EXPECT_TRUE(Paste(link));
  EXPECT_EQ(prompter.messages, (Messages{testing::Confirmation(), testing::PasteDone(link)}));
  EXPECT_EQ(testing::ReadArchive(entries).members["zawody.lef"], Document("3.0", kClubs));
  EXPECT_EQ(fs::status(fileops::FsPath(entries)).permissions(), fs::perms(0640));
  EXPECT_EQ(fs::read_symlink(fileops::FsPath(link)), "../ogniwo.lxf");
  EXPECT_EQ(fs::read_symlink(dir.fs() / "ogniwo.lxf"), fileops::FsPath(entries));
  EXPECT_EQ(testing::Listing(dir.fs()),
            (V{"baza.lxf", "ogniwo.lxf", "zawody", "zawody/zgłoszenie.lxf",
               "zawody/zgłoszenie.lxf.ZIP", "zgłoszenie zawody.lxf"}));
}
#endif

TEST_F(PasteEntriesTest, CancelInTheDialogDoesNothing) {
  MakeEntries();
  const auto snapshot = testing::Snapshot(dir.fs());
  EXPECT_FALSE(PasteEntries(prompter, comIN, dbFile, {kClubs, kWindows1250, {}}));
  EXPECT_EQ(prompter.dialogs.size(), 1u);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
}

TEST_F(PasteEntriesTest, RefusesTheDatabaseFileInAnySpelling) {
  MakeEntries();
  std::filesystem::create_directory(dir.fs() / "inny");
#ifdef _WIN32
  // Making a link takes a privilege on Windows; letter case spells the same file there.
  const std::string other = dir.file("BAZA.LXF");
#else
  std::filesystem::create_symlink(dir.fs() / "baza.lxf", dir.fs() / "link.lxf");
  const std::string other = dir.file("link.lxf");
#endif
  const auto snapshot = testing::Snapshot(dir.fs());
  for (const std::string& pick :
       {dbFile, dir.path() + "./baza.lxf", dir.path() + "inny/../baza.lxf", other}) {
    prompter = FakePrompter();
    EXPECT_FALSE(Paste(pick)) << pick;
    EXPECT_EQ(prompter.messages,
              (Messages{testing::Stop(
                  "Plik bazy zawodników i plik zgłoszenia to te same pliki, operacja anulowana")}))
        << pick;
    EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
  }
}

// Only the database file itself is refused: a copy of it, or on a disk that tells letter case
// apart a file spelled like it, is another file and gets the confirmation.
TEST_F(PasteEntriesTest, AnotherFileLikeTheDatabaseIsNotRefused) {
  MakeEntries();
  std::filesystem::create_directory(dir.fs() / "kopia");
  testing::WriteBytes(dir.file("kopia/baza.lxf"), "baza");
  prompter.answers.push_back(Answer::Cancel);
  EXPECT_FALSE(Paste(dir.file("kopia/baza.lxf")));
  EXPECT_EQ(prompter.messages, Messages{testing::Confirmation()});
#ifndef _WIN32
  prompter = FakePrompter();
  prompter.picks.push_back(entries);
  EXPECT_TRUE(
      PasteEntries(prompter, comIN, dir.file("ZGŁOSZENIE ZAWODY.lxf"), {kClubs, kWindows1250, {}}));
  EXPECT_EQ(prompter.messages, (Messages{testing::Confirmation(), testing::PasteDone(entries)}));
#endif
}

// A paste that ends before the entries file is replaced: what the user is told after the
// confirmation ("{baza}" and "{zgłoszenie}" stand for the two files' paths); every file in the
// folder stays byte for byte as it was, and nothing is added.
struct Refusal {
  const char* name;
  void (*arrange)(PasteEntriesTest&);  // after the entries file is made; may be null
  Messages shown;
  Members members = {{"zawody.lef", Document("3.0", kOldClubs)}};
  TagBalance clubsBalance = {};  // what reading the database found of its clubs section
  bool confirmed = true;         // the user chose the entries file and confirmed
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class PasteRefusal : public PasteEntriesTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(PasteRefusal, TellsWhyAndLeavesEveryFileAsItWas) {
  const Refusal& r = GetParam();
  MakeEntries(r.members);
  if (r.arrange) r.arrange(*this);
  const auto snapshot = testing::Snapshot(dir.fs());
  EXPECT_FALSE(Paste(entries, kClubs, r.clubsBalance));
  Messages shown = r.shown;
  for (testing::Shown& message : shown) {
    message.text = testing::ReplaceAll(message.text, "{baza}", dbFile);
    message.text = testing::ReplaceAll(message.text, "{zgłoszenie}", entries);
  }
  if (r.confirmed) shown.insert(shown.begin(), testing::Confirmation());
  EXPECT_EQ(prompter.messages, testing::InFolder(shown, dir.path()));
  EXPECT_EQ(prompter.dialogs.size(), r.confirmed ? 1u : 0u);
  EXPECT_EQ(testing::Snapshot(dir.fs()), snapshot);
}

const std::string kNoSessionsDocument =
    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</LENEX>\r\n";

const Refusal kRefusals[] = {
    {"ConfirmationCancelled",
     [](PasteEntriesTest& t) { t.prompter.answers.push_back(Answer::Cancel); },
     {}},
    {"NotAZipArchive",
     [](PasteEntriesTest& t) { testing::WriteBytes(t.entries, "to nie jest archiwum ZIP"); },
     {testing::ArchiveError("nieprawidłowe lub uszkodzone archiwum ZIP"),
      testing::InvalidArchive()}},
    {"TwoDocuments",
     nullptr,
     {testing::Stop(kSeveralDocumentsMessage)},
     {{"a.lef", Document("3.0", kOldClubs)}, {"b.lef", Document("3.0", kOldClubs)}}},
    {"WrongVersion",
     nullptr,
     {testing::Stop(WrongVersionText())},
     {{"zawody.lef", Document("1.0", kOldClubs)}}},
    {"NoSessionsToPasteAfter",
     nullptr,
     {testing::Stop("W dokumencie LEF pliku zgłoszenia nie ma wiersza </SESSIONS>, więc nie ma "
                    "miejsca, w które można wkleić zawodników. " +
                    kUnchanged)},
     {{"zawody.lef", kNoSessionsDocument}}},
    // The new document's tags must balance before the entries file is replaced: a clubs section
    // that does not is refused as the database's fault, before the file dialog; the entries
    // document's own faults name the entries file.
    {"DatabaseWhoseClubsDoNotBalance",
     nullptr,
     {testing::Stop("Baza zawodników jest uszkodzona:\r\n{baza}\r\nW jej dokumencie LEF znacznik "
                    "</CLUBS> w wierszu 11 nie zamyka otwartego znacznika <CLUB> z wiersza 9. "
                    "Otwórz bazę w programie, w którym ją utworzono, zapisz ją ponownie i otwórz "
                    "ją tutaj jeszcze raz. " +
                    kUnchanged)},
     {{"zawody.lef", Document("3.0", kOldClubs)}},
     {TagBalance::Mismatched, TokenKind::Text, "CLUBS", 11, "CLUB", 9},
     false},
    {"EntriesWithAQuoteThatRunsOn",
     nullptr,
     {testing::Stop(
         "Plik zgłoszenia jest uszkodzony:\r\n{zgłoszenie}\r\nW jego dokumencie LEF "
         "cudzysłów otwarty w wierszu 2 nie został zamknięty przed znakiem <. Zapisz ten "
         "plik ponownie w programie, w którym go utworzono, albo poproś organizatora "
         "zawodów o nowy plik zgłoszenia. " +
         kUnchanged)},
     {{"zawody.lef", "<?xml version=\"1.0\"?>\r\n<LENEX version=3.0'>\r\n</LENEX>\r\n"}}},
    // The folder is checked as the opening checks it, before anything is copied or unpacked: a
    // document beside the entries file, named like the archive's or not, is the user's.
    {"DocumentNamedLikeTheArchivesBeside",
     [](PasteEntriesTest& t) { testing::WriteBytes(t.dir.file("zawody.lef"), "mój plik"); },
     {testing::Stop(kLefFilesPresentMessage)}},
    {"OtherDocumentBeside",
     [](PasteEntriesTest& t) { testing::WriteBytes(t.dir.file("stary.LEF"), "mój plik"); },
     {testing::Stop(kLefFilesPresentMessage)}},
    // '@' stands for the folder.
    {"FolderWhereTheDocumentGoes",
     [](PasteEntriesTest& t) { std::filesystem::create_directory(t.dir.fs() / "zawody.lef"); },
     {testing::Stop("W katalogu pliku LXF jest już plik lub katalog, który przeszkadza w "
                    "rozpakowaniu archiwum:\r\n@zawody.lef\r\nProgram go nie zastąpi. Przenieś go "
                    "w inne miejsce albo zmień jego nazwę i spróbuj ponownie.")}},
};

INSTANTIATE_TEST_SUITE_P(Cases, PasteRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// Every file operation of a paste, made to fail in turn with each of two system errors: the user
// is told exactly what went wrong, the entries file is the old archive or the whole new one,
// nothing stays behind but the file the user was told of, and once that is gone the next paste
// goes through. The entries archive holds a second member beside its document, so that removing
// what was unpacked runs under the fault too.
TEST_F(PasteEntriesTest, EachFailingFileOperationIsToldAndLeavesTheEntriesFileWhole) {
  using testing::ArchiveError, testing::EmptyArchiveError, testing::UnpackFailed,
      testing::ProgramError, testing::Stop;
  const std::string document = dir.file("zawody.lef"), opis = dir.file("opis.txt");
  const std::map<std::string, std::string> pasted = {{"zawody.lef", Document("3.0", kClubs)}};
  struct Row {
    Messages shown;  // after the confirmation
    bool replaced;
    std::string left;  // the one file left in the folder, if any
  };
  const std::pair<int, std::string> faults[] = {{EACCES, kDeniedPhrase},
                                                {ENOSPC, "brak miejsca na dysku"}};
  for (const auto& [code, phrase] : faults) {
    const std::string why = std::to_string(code) + " " + phrase;
    const std::string ended = "\r\n" + why + "\r\n" + kUnchanged;
    const std::vector<Row> rows = {
        {{UnpackFailed(phrase + ": " + document)}, false, ""},  // making the document's file
        {{UnpackFailed(phrase + ": " + document)}, false, ""},  // writing it out
        {{UnpackFailed(phrase + ": " + document)}, false, ""},  // giving it its name
        {{UnpackFailed(phrase + ": " + opis)}, false, ""},      // the same for opis.txt
        {{UnpackFailed(phrase + ": " + opis)}, false, ""},
        {{UnpackFailed(phrase + ": " + opis)}, false, ""},
        {{Stop("Nie można odczytać dokumentu LEF z pliku zgłoszenia: " + document + ended)},
         false,
         ""},
        {{EmptyArchiveError(phrase + ": " + dir.path())}, false, ""},  // making the new archive
        {{ArchiveError(phrase + ": " + dir.path())}, false, ""},       // writing it out
        {{ProgramError(why)}, false, ""},  // the rename over the entries file
        {{testing::PasteDone(entries),     // removing the document after it
          {"Nie udało się usunąć dokumentu LEF rozpakowanego z pliku zgłoszenia. Plik zgłoszenia "
           "został nadpisany poprawnie. Dopóki ten dokument leży w katalogu, program nie otworzy "
           "z tego katalogu bazy zawodników ani nie wklei zawodników do leżącego w nim pliku. "
           "Usuń go ręcznie:\r\n" +
               document + " (" + why + ")",
           "Rostrel", Icon::Warning, Buttons::Ok}},
         true,
         "zawody.lef"},
        {{testing::PasteDone(entries),
          Stop("Nie udało się usunąć plików rozpakowanych z archiwum LXF. Usuń je ręcznie:\r\n" +
               opis + " (" + why + ")")},
         true,
         "opis.txt"},
        {{testing::PasteDone(entries)}, true, ""},  // no operation fails
    };
    bool replaced = false;
    testing::SweepFileFaults(
        code, rows,
        [&] {
          MakeEntries({{"zawody.lef", Document("3.0", kOldClubs)}, {"opis.txt", "opis zawodów"}});
          prompter = FakePrompter();
        },
        [&] { replaced = Paste(entries); },
        [&](const Row& row) {
          Messages shown = row.shown;
          shown.insert(shown.begin(), testing::Confirmation());
          EXPECT_EQ(prompter.messages, shown);
          EXPECT_EQ(replaced, row.replaced);
          if (row.replaced) {
            EXPECT_EQ(testing::ReadArchive(entries).members, pasted);
          } else {
            EXPECT_EQ(testing::ReadBytes(entries), before);
          }
          V listing = {"baza.lxf", "zgłoszenie zawody.lxf"};
          if (!row.left.empty()) listing.push_back(row.left);
          std::sort(listing.begin(), listing.end());
          EXPECT_EQ(testing::Listing(dir.fs()), listing);

          if (!row.left.empty()) std::filesystem::remove(dir.fs() / fileops::FsPath(row.left));
          prompter = FakePrompter();
          EXPECT_TRUE(Paste(entries));
          EXPECT_EQ(prompter.messages,
                    (Messages{testing::Confirmation(), testing::PasteDone(entries)}));
          EXPECT_EQ(testing::ReadArchive(entries).members, pasted);
          EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
        });
  }
}

// Memory that runs out after the entries file has been replaced: the user hears that it was.
TEST_F(PasteEntriesTest, AnUnforeseenErrorAfterTheReplacementSaysSo) {
  MakeEntries();
  prompter.throwAt = testing::PasteDone(entries).text;
  EXPECT_TRUE(Paste(entries));
  EXPECT_EQ(prompter.messages,
            (Messages{testing::Confirmation(), testing::PasteDone(entries),
                      testing::ProgramError("brak pamięci\r\nPlik zgłoszenia został już "
                                            "nadpisany nowym plikiem: " +
                                            entries)}));
  EXPECT_EQ(testing::ReadArchive(entries).members["zawody.lef"], Document("3.0", kClubs));
  EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
}

// Another program holds a file for a moment (Windows' sharing violation): the step is tried again
// and again, and only past the budget does the user hear which file is held; the entries file is
// then the old one, and nothing of the paste stays behind.
TEST_F(PasteEntriesTest, AFileHeldByAnotherProgramIsWaitedFor) {
  const auto held = [&](const std::string& path) {
    return Messages{testing::Confirmation(),
                    testing::Stop("Inny program używa pliku (na przykład program do obsługi "
                                  "zawodów, program antywirusowy albo OneDrive):\r\n" +
                                  path +
                                  "\r\nZamknij ten program albo poczekaj chwilę i spróbuj "
                                  "ponownie. Operacja anulowana, plik zgłoszenia nie został "
                                  "zmieniony.")};
  };
  const Messages done = {testing::Confirmation(), testing::PasteDone(entries)};
  const struct {
    int operation, failures;  // the operation held, and how many times in a row
    Messages shown;
  } rows[] = {
      {7, 1, done},  // the rename over the entries file
      {7, fileops::kRetries, done},
      {7, fileops::kRetries + 1, held(entries)},
      {3, fileops::kRetries + 1, held(dir.file("zawody.lef"))},  // naming the unpacked document
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.operation) + " held " + std::to_string(row.failures));
    MakeEntries();
    prompter = FakePrompter();
    fileops::FailCalls(row.operation, row.failures, WindowsError(32));
    const bool replaced = Paste(entries);
    fileops::ResetFaults();
    EXPECT_EQ(prompter.messages, row.shown);
    EXPECT_EQ(replaced, row.shown == done);
    EXPECT_EQ(testing::ReadBytes(entries) == before, !replaced);
    EXPECT_EQ(testing::Listing(dir.fs()), (V{"baza.lxf", "zgłoszenie zawody.lxf"}));
  }
}

// A file, a link or a folder of the user's appears where the paste is about to work: under the
// fresh name of a file it is about to make (it takes another), under the name it is about to give
// an unpacked file ('w': it stops, as the user's item is in the way), or in place of an unpacked
// file it is about to remove ('s'). Whatever appeared stays as it was, and the entries file is
// the old archive or the new one. '-' marks the operations on the paste's own files and the
// entries file itself, where nothing appears. Last, another program removes what is there: the
// paste does not mind an unpacked file that is already gone.
TEST_F(PasteEntriesTest, AUsersItemThatAppearsWhereThePasteWorksStays) {
  namespace fs = std::filesystem;
  const std::vector<char> rows = {'n', '-', 'w', 'n', '-', 'w', '-', 'n', '-', '-', 's', 's', '.'};
  const testing::TempDir outside;
  testing::WriteBytes(outside.file("cel"), "cel");
  const std::map<std::string, std::string> pasted = {{"zawody.lef", Document("3.0", kClubs)}};
  for (const char* kind : {"file", "folder", "link", "none"}) {
#ifdef _WIN32
    if (std::string(kind) == "link") continue;  // making a link takes a privilege on Windows
#endif
    SCOPED_TRACE(kind);
    std::string planted;
    const auto plant = [&](const std::string& path) {
      fs::remove(fileops::FsPath(path));
      if (std::string(kind) == "file") testing::WriteBytes(path, "cudzy");
      if (std::string(kind) == "folder") fs::create_directory(fileops::FsPath(path));
      if (std::string(kind) == "link")
        fs::create_symlink(outside.fs() / "cel", fileops::FsPath(path));
      if (std::string(kind) != "none") planted = fileops::Utf8(fileops::FsPath(path).filename());
    };
    testing::SweepFileOperations(
        [&](int k) {
          const char row = k <= static_cast<int>(rows.size()) ? rows[k - 1] : '-';
          if (row != '-' && row != '.') fileops::OnCall(k, plant);
        },
        rows,
        [&] {
          if (!planted.empty()) fs::remove_all(dir.fs() / fileops::FsPath(planted));
          planted.clear();
          MakeEntries({{"zawody.lef", Document("3.0", kOldClubs)}, {"opis.txt", "opis zawodów"}});
          prompter = FakePrompter();
        },
        [&] { Paste(entries); },
        [&](char row) {
          const Messages done = {testing::Confirmation(), testing::PasteDone(entries)};
          if (row == 'w' && !planted.empty()) {
            EXPECT_EQ(prompter.messages,
                      (Messages{testing::Confirmation(),
                                testing::Stop(std::string(kInTheWayMessage) + "\r\n" +
                                              dir.file(planted) + "\r\n" + kInTheWayAdvice)}));
            EXPECT_EQ(testing::ReadBytes(entries), before);
          } else {
            EXPECT_EQ(prompter.messages, done);
            EXPECT_EQ(testing::ReadArchive(entries).members, pasted);
          }
          V listing = {"baza.lxf", "zgłoszenie zawody.lxf"};
          if (!planted.empty()) listing.push_back(planted);
          std::sort(listing.begin(), listing.end());
          EXPECT_EQ(testing::Listing(dir.fs()), listing);
          if (std::string(kind) == "file" && !planted.empty()) {
            EXPECT_EQ(testing::ReadBytes(dir.file(planted)), "cudzy");
          }
          EXPECT_EQ(testing::ReadBytes(outside.file("cel")), "cel");
        });
  }
}

}  // namespace
}  // namespace rostrel
