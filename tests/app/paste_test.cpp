#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/frm_main.h"
#include "common/fileops.h"
#include "gui_helpers.h"
#include "support/fake_prompter.h"
#include "support/sample_documents.h"
#include "window_fixture.h"

namespace rostrel::testing {
namespace {

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
  }

  // What the window shows and holds: both lists, the database's path and clubs section, and
  // which of ">>" and the paste are enabled.
  auto State() {
    return std::make_tuple(Lines(window, "lstIN"), Lines(window, "lstOUT"), window.dbFile(),
                           window.clubsText(), Enabled(window, "ComGetAll"),
                           Enabled(window, "CmdSaveOUT"));
  }

  static std::string Name(const std::string& path) {
    return fileops::Utf8(fileops::FsPath(path).filename());
  }

  std::string db, entries;
};

// The window hands the paste the clubs section and the encoding of the database it opened (a
// UTF-8 database into a Windows-1250 entries file; every pair of the samples' encodings is pasted
// by the actions themselves in examples/end_to_end_test.cpp), and stays as it was.
TEST_F(PasteTest, HandsThePasteTheOpenedClubsAndStaysAsItWas) {
  Prepare("baza-utf8.lxf", "zgloszenie-cp1250.lxf");
  const auto stateBefore = State();
  Paste(entries);

  EXPECT_EQ(prompter.messages, (std::vector<Shown>{Confirmation(), PasteDone(entries)}));
  EXPECT_EQ(
      ReadArchive(entries).members,
      (std::map<std::string, std::string>{{"zawody.lef", samples::Pasted(samples::kCp1250)}}));
  EXPECT_EQ(Listing(dir.fs() / "zawody"), std::vector<std::string>{Name(entries)});
  EXPECT_EQ(Listing(dir.fs() / "baza"), std::vector<std::string>{Name(db)});
  EXPECT_EQ(ReadBytes(db), ReadBytes(std::string(ROSTREL_EXAMPLES_DIR) + "/" + Name(db)));
  EXPECT_EQ(State(), stateBefore);
  // The window's one dialog, shared with the open, keeps the name chosen last.
  EXPECT_EQ(window.dialog().fileName, entries);
}

// The window hands the paste the database it opened, so that picking that file is refused.
TEST_F(PasteTest, TheOpenedDatabaseIsRefusedAsTheEntriesFile) {
  Prepare("baza-cp1250.lxf", "zgloszenie-cp1250.lxf");
  Paste(db);
  EXPECT_EQ(prompter.messages,
            std::vector<Shown>{Stop(
                "Plik bazy zawodników i plik zgłoszenia to te same pliki, operacja anulowana")});
}

// The window hands the paste what reading found of the database's clubs section: clubs whose
// tags do not balance are refused at the click, before the file dialog, naming the database and
// the line of its own document.
TEST_F(PasteTest, ClubsThatDoNotBalanceAreRefusedNamingTheDatabase) {
  db = Folder("baza") + "baza.lxf";
  MakeArchive(db, {{"baza.lef",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n<CLUBS>\r\n"
                    "<CLUB name=\"A\"><ATHLETES><ATHLETE athleteid=\"1\"/>\r\n"
                    "</CLUBS>\r\n</LENEX>\r\n"}});
  entries = Example("zgloszenie-cp1250.lxf", "zawody");
  Open(db);
  Click(window, "ComGetAll");
  prompter.messages.clear();
  prompter.dialogs.clear();
  Paste(entries);
  EXPECT_TRUE(prompter.dialogs.empty());
  EXPECT_EQ(prompter.messages,
            (std::vector<Shown>{
                Stop("Baza zawodników jest uszkodzona:\r\n" + db +
                     "\r\nW jej dokumencie LEF znacznik </CLUBS> w wierszu 5 nie zamyka otwartego "
                     "znacznika <ATHLETES> z wiersza 4. Otwórz bazę w programie, w którym ją "
                     "utworzono, zapisz ją ponownie i otwórz ją tutaj jeszcze raz. Operacja "
                     "anulowana, plik zgłoszenia nie został zmieniony.")}));
}

// A paste that fails leaves the window as it was, ready for another try.
TEST_F(PasteTest, AFailedPasteLeavesTheWindowAsItWas) {
  Prepare("baza-cp1250.lxf", "zgloszenie-cp1250.lxf");
  const auto stateBefore = State();
  fileops::FailAtCall(1, EACCES);
  Paste(entries);
  fileops::ResetFaults();
  ASSERT_FALSE(window.pasteReplacedFile()) << "the paste did not fail";
  EXPECT_EQ(State(), stateBefore);

  prompter.messages.clear();
  Paste(entries);
  EXPECT_EQ(prompter.messages, (std::vector<Shown>{Confirmation(), PasteDone(entries)}));
  EXPECT_TRUE(window.pasteReplacedFile());
}

}  // namespace
}  // namespace rostrel::testing
