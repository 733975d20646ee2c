#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "common/prompter.h"
#include "gui_helpers.h"
#include "support/documents.h"
#include "window_fixture.h"

namespace rostrel::testing {
namespace {

// A database document in UTF-8 with the given LENEX version and clubs section lines.
std::string Database(const std::string& version, const std::string& clubs) {
  return Lenex{kUtf8Declaration, version, "<MEET name=\"Baza\" city=\"Sopot\">", false,
               "      <CLUBS>\r\n" + clubs + "      </CLUBS>\r\n"}
      .Text();
}

const std::string kFokaClub =
    "        <CLUB name=\"KS Foka Sopot\" code=\"FOKA\" nation=\"POL\">\r\n"
    "          <CONTACT name=\"Jan Żak\" email=\"foka@example.pl\" />\r\n";
const std::string kFokaAthletes =
    "          <ATHLETES>\r\n"
    "            <ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
    "birthdate=\"2010-01-01\" gender=\"M\" license=\"1\" />\r\n"
    "            <ATHLETE athleteid=\"8\" lastname=\"Kowalska\" firstname=\"Anna\" "
    "birthdate=\"2011-02-02\" gender=\"F\" license=\"2\" />\r\n"
    "          </ATHLETES>\r\n";
const std::string kClubEnd = "        </CLUB>\r\n";
// Every line of these clubs sections is one that reading keeps.
std::string KeptLines(const std::string& clubs) {
  return "      <CLUBS>\r\n" + clubs + "      </CLUBS>\r\n";
}

enum class Was { Unchanged, Cleared, Enabled, Disabled };

struct OpenCase {
  const char* name;
  // Makes the files in `folder` and returns the path to pick ("" cancels the dialog).
  std::function<std::string(WindowTest&, const std::string& folder)> prepare;
  bool dbFileIsPick;
  std::optional<std::string> clubsText;           // nullopt: unchanged
  std::optional<std::vector<std::string>> lstIN;  // nullopt: unchanged; empty: cleared
  Was lstOUT, getAll, saveOut;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class OpenAction : public WindowTest, public ::testing::WithParamInterface<OpenCase> {};

// Every outcome starts from a window that has a database open and its athletes copied over,
// so that "unchanged" can be seen. What each outcome tells the user, and leaves in the folder,
// is the open action's own (athletes/open_action_test.cpp); the window adds its state.
TEST_P(OpenAction, LeavesTheWindowAsItsOutcomeSays) {
  const OpenCase& c = GetParam();
  const std::string before = Example("baza-cp1250.lxf", "przed");
  Open(before);
  Click(window, "ComGetAll");
  ASSERT_EQ(Lines(window, "lstIN"), kBazaLines);
  const std::string clubsBefore = window.clubsText();
  ASSERT_FALSE(clubsBefore.empty());
  prompter.messages.clear();

  const std::string folder = Folder("sprawdzany");
  const std::string pick = c.prepare(*this, folder);
  Open(pick);

  // The window's one dialog offers the name chosen last.
  ASSERT_EQ(prompter.dialogs.size(), 2u);
  EXPECT_EQ(prompter.dialogs.back().fileName, before);

  EXPECT_EQ(window.dbFile(), c.dbFileIsPick ? pick : "");
  EXPECT_EQ(window.clubsText(), c.clubsText.value_or(clubsBefore));
  EXPECT_EQ(Lines(window, "lstIN"), c.lstIN.value_or(kBazaLines));
  EXPECT_EQ(Lines(window, "lstOUT"),
            c.lstOUT == Was::Cleared ? std::vector<std::string>{} : kBazaLines);
  EXPECT_EQ(Enabled(window, "ComGetAll"), c.getAll != Was::Disabled);
  EXPECT_EQ(Enabled(window, "CmdSaveOUT"), c.saveOut != Was::Disabled);
}

// Every outcome but "athletes found" empties both lists and disables >> and the paste, whatever
// the window showed before; "athletes found" fills the left list and enables >> only. One row
// stands for each way the window takes: an opening that ends without a reading (a damaged
// archive here, a quote that runs on in the open action's own table) keeps the clubs section.
const OpenCase kOpenCases[] = {
    {"NoPathChosen", [](WindowTest&, const std::string&) { return std::string(); }, false,
     std::nullopt, std::vector<std::string>{}, Was::Cleared, Was::Disabled, Was::Disabled},
    {"InvalidArchive",
     [](WindowTest&, const std::string& folder) {
       WriteBytes(folder + "zly.lxf", "to nie jest archiwum ZIP");
       return folder + "zly.lxf";
     },
     true, std::nullopt, std::vector<std::string>{}, Was::Cleared, Was::Disabled, Was::Disabled},
    {"VersionFailure",
     [](WindowTest&, const std::string& folder) {
       MakeArchive(folder + "stara.lxf",
                   {{"baza.lef", Database("1.0", kFokaClub + kFokaAthletes + kClubEnd)}});
       return folder + "stara.lxf";
     },
     true, std::string(), std::vector<std::string>{}, Was::Cleared, Was::Disabled, Was::Disabled},
    {"NoAthletes",
     [](WindowTest&, const std::string& folder) {
       MakeArchive(folder + "kluby.lxf", {{"baza.lef", Database("2.0", kFokaClub + kClubEnd)}});
       return folder + "kluby.lxf";
     },
     true, KeptLines(kFokaClub + kClubEnd), std::vector<std::string>{}, Was::Cleared, Was::Disabled,
     Was::Disabled},
    {"AthletesFound",
     [](WindowTest&, const std::string& folder) {
       MakeArchive(folder + "foka.lxf",
                   {{"foka.lef", Database("3.0", kFokaClub + kFokaAthletes + kClubEnd)}});
       return folder + "foka.lxf";
     },
     true, KeptLines(kFokaClub + kFokaAthletes + kClubEnd),
     std::vector<std::string>{"7 Nowak Józef 2010-01-01", "8 Kowalska Anna 2011-02-02"},
     Was::Cleared, Was::Enabled, Was::Disabled},
};

INSTANTIATE_TEST_SUITE_P(Outcomes, OpenAction, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The enabled states of the two action buttons and the two lists, event by event over a run.
struct Row {
  const char* event;
  std::function<void(WindowTest&)> act;
  bool saveOut, getAll;
  std::vector<std::string> in, out;
};

TEST_F(WindowTest, ButtonsAndListsFollowTheirTableOverARun) {
  const std::string baza = Example("baza-cp1250.lxf", "baza");
  const std::string foka = Folder("foka") + "foka.lxf";
  MakeArchive(foka, {{"foka.lef", Database("3.0", kFokaClub + kFokaAthletes + kClubEnd)}});
  const std::vector<std::string> fokaLines = {"7 Nowak Józef 2010-01-01",
                                              "8 Kowalska Anna 2011-02-02"};
  const std::string entries = Example("zgloszenie-cp1250.lxf", "zawody");
  const std::vector<std::string> none;

  // The right list always shows exactly what a paste would write, and the paste is offered only
  // after a successful open followed by ">>".
  const std::vector<Row> rows = {
      {"program start", [](WindowTest&) {}, false, false, none, none},
      {"click on >> while disabled", [](WindowTest& t) { Click(t.window, "ComGetAll"); }, false,
       false, none, none},
      {"open: athletes found", [&](WindowTest& t) { t.Open(baza); }, false, true, kBazaLines, none},
      {"click on >>", [](WindowTest& t) { Click(t.window, "ComGetAll"); }, true, true, kBazaLines,
       kBazaLines},
      {"click on >> again", [](WindowTest& t) { Click(t.window, "ComGetAll"); }, true, true,
       kBazaLines, kBazaLines},
      {"open: another database", [&](WindowTest& t) { t.Open(foka); }, false, true, fokaLines,
       none},
      {"click on >> for it", [](WindowTest& t) { Click(t.window, "ComGetAll"); }, true, true,
       fokaLines, fokaLines},
      {"paste: dialog cancelled", [](WindowTest& t) { t.Paste(""); }, true, true, fokaLines,
       fokaLines},
      {"paste: confirmation cancelled", [&](WindowTest& t) { t.Paste(entries, Answer::Cancel); },
       true, true, fokaLines, fokaLines},
      {"paste: done", [&](WindowTest& t) { t.Paste(entries); }, true, true, fokaLines, fokaLines},
      {"open: dialog cancelled", [](WindowTest& t) { t.Open(""); }, false, false, none, none},
      {"click on >> while disabled again", [](WindowTest& t) { Click(t.window, "ComGetAll"); },
       false, false, none, none},
      {"open: athletes found again", [&](WindowTest& t) { t.Open(baza); }, false, true, kBazaLines,
       none},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.event);
    row.act(*this);
    EXPECT_EQ(Enabled(window, "CmdSaveOUT"), row.saveOut);
    EXPECT_EQ(Enabled(window, "ComGetAll"), row.getAll);
    EXPECT_EQ(Lines(window, "lstIN"), row.in);
    EXPECT_EQ(Lines(window, "lstOUT"), row.out);
    EXPECT_TRUE(Enabled(window, "CmdOpenIN"));
    EXPECT_TRUE(Enabled(window, "test"));
    EXPECT_FALSE(Enabled(window, "lstIN"));
    EXPECT_FALSE(Enabled(window, "lstOUT"));
  }
  // Only the pastes spoke: the confirmation that was cancelled, then the paste that was done.
  EXPECT_EQ(prompter.messages,
            (std::vector<Shown>{Confirmation(), Confirmation(), PasteDone(entries)}));
}

}  // namespace
}  // namespace rostrel::testing
