// Memory that runs out in the middle of an action: the action does not end the program, takes
// away what it unpacked and says that the program failed.

#include <gtest/gtest.h>

#include "archive/unpack_lxf.h"
#include "common/encoding.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

const char* const kNoSessions =
    "W dokumencie LEF pliku zgłoszenia nie ma wiersza </SESSIONS>, więc nie ma miejsca, w które "
    "można wkleić zawodników. Operacja anulowana, plik zgłoszenia nie został zmieniony.";

struct UnforeseenCase {
  const char* name;
  bool open;  // the open action, or else the paste
  std::vector<RawMember> members;
  std::string throwAt;  // the message during which memory runs out
};

void PrintTo(const UnforeseenCase& c, std::ostream* os) { *os << c.name; }

class UnforeseenError : public ::testing::Test,
                        public ::testing::WithParamInterface<UnforeseenCase> {};

TEST_P(UnforeseenError, IsToldAsAProgramErrorAndLeavesTheFolderAsItWas) {
  const UnforeseenCase& c = GetParam();
  TempDir root;
  const std::string chosen = root.file("plik.lxf");
  WriteBytes(chosen, BuildZip(c.members));
  const Tree before = Snapshot(root.fs());

  FakePrompter prompter;
  prompter.picks.push_back(chosen);
  prompter.throwAt = c.throwAt;
  FileDialogSettings comIN;
  std::vector<Shown> expected;
  if (c.open) {
    const OpenOutcome outcome = OpenDatabase(prompter, comIN);
    EXPECT_EQ(outcome.kind, OpenOutcome::Ended);
    EXPECT_EQ(outcome.dbFile, chosen);
    EXPECT_FALSE(outcome.clubsChanged);
  } else {
    EXPECT_FALSE(PasteEntries(prompter, comIN, "/nowhere/baza.lxf", {"<CLUBS>\r\n", kUtf8, {}}));
    expected.push_back(Confirmation());
  }
  expected.push_back(Stop(c.throwAt));
  expected.push_back({"Wystąpił błąd programu - skontaktuj się z autorem\r\nbrak pamięci",
                      "Rostrel", Icon::None, Buttons::Ok});
  EXPECT_EQ(prompter.messages, expected);
  EXPECT_EQ(Snapshot(root.fs()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, UnforeseenError,
    ::testing::Values(
        UnforeseenCase{"OpenWhileTellingOfNoDocument",
                       true,
                       {Member("opis.txt", "opis"), Member("inne/opis.txt", "opis")},
                       kNoDocumentMessage},
        UnforeseenCase{"PasteWhileTellingOfNoDocument",
                       false,
                       {Member("opis.txt", "opis")},
                       kNoDocumentMessage},
        UnforeseenCase{
            "PasteWhileRefusingTheDocument",
            false,
            {Member("zawody.lef",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</LENEX>\r\n")},
            kNoSessions}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rostrel::testing
