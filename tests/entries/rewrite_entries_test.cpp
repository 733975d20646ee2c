#include "entries/rewrite_entries.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/layout_documents.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::FakePrompter;

const std::string kHeader1250 = "<?xml version=\"1.0\" encoding=\"Windows-1250\"?>\r\n";
const std::string kHeaderUtf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

const std::string kClubs =
    "      <CLUBS>\r\n"
    "        <CLUB name=\"Nowy, Klub\">\r\n"
    "        </CLUB>\r\n"
    "      </CLUBS>\r\n";

// An entries document in the shape the program meets: one element per line, CR LF.
std::string Entries(const std::string& version = "3.0",
                    const std::string& declaration = testing::kCp1250Declaration) {
  return testing::Lenex{declaration, version, "<MEET name=\"Zawody\">", true,
                        "      <CLUBS>\r\n        <CLUB name=\"Stary\"/>\r\n      </CLUBS>\r\n"}
      .Text();
}

std::string Rewritten(const std::string& version, const std::string& clubs,
                      const std::string& header = kHeader1250) {
  return testing::Lenex{header.substr(0, header.size() - 2), version, "<MEET name=\"Zawody\">",
                        true, clubs}
      .Text();
}

struct RewriteCase {
  const char* name;
  std::string document;
  std::string clubs;
  std::string expected;
};

class RewriteText : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteText, GivesTheWholeNewDocument) {
  const RewriteCase& c = GetParam();
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, c.document, c.clubs, kWindows1250);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, c.expected);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteText,
    ::testing::Values(
        RewriteCase{"Lenex30", Entries("3.0"), kClubs, Rewritten("3.0", kClubs)},
        RewriteCase{"Lenex20", Entries("2.0"), kClubs, Rewritten("2.0", kClubs)},
        RewriteCase{"EmptyClubsTextRemovesTheSection", Entries(), "", Rewritten("3.0", "")},
        RewriteCase{
            "VersionAnywhereOnLine2",
            "<?xml version=\"1.0\"?>\r\n<LENEX version=\"1.0\" x=\"v2.0\">\r\n"
            "</SESSIONS>\r\nold\r\n</MEET>\r\n",
            "C\r\n",
            kHeaderUtf8 + "<LENEX version=\"1.0\" x=\"v2.0\">\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n"},
        RewriteCase{
            "MarkersWithBlanksAroundThem",
            "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n   </SESSIONS>  \r\n"
            "old\r\n </MEET>\r\n",
            "C\r\n",
            kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n   </SESSIONS>  \r\nC\r\n </MEET>\r\n"},
        // Tabs are trimmed like blanks; letter case counts; markers sharing a line are cut apart.
        RewriteCase{"TabsTrimmedLowerCaseNoMarkerSharedLinesCut",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n\t</SESSIONS>\r\n"
                    "</sessions>\r\n</SESSIONS></MEET>\r\n</SESSIONS>\r\nold\r\n</meet>\r\n"
                    "</MEET>\r\n",
                    "C\r\n",
                    kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n\t</SESSIONS>\r\nC\r\n</SESSIONS>\r\n"
                                  "C\r\n</MEET>\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n"},
        RewriteCase{"SessionsAndMeetOnOneLineAreCutApart",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</SESSIONS></MEET>\r\n"
                    "</LENEX>\r\n",
                    "C\r\n",
                    kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n"
                                  "</LENEX>\r\n"},
        RewriteCase{"TwoMeetsEachGetTheClubs",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n"
                    "</SESSIONS>\r\nold1\r\n</MEET>\r\nbetween\r\n"
                    "</SESSIONS>\r\nold2\r\n</MEET>\r\nend\r\n",
                    "C1\r\nC2\r\n",
                    kHeaderUtf8 +
                        "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\nC1\r\nC2\r\n</MEET>\r\n"
                        "between\r\n</SESSIONS>\r\nC1\r\nC2\r\n</MEET>\r\nend\r\n"},
        RewriteCase{
            "MeetBeforeSessionsIsCopied",
            "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</MEET>\r\n"
            "</SESSIONS>\r\nold\r\n</MEET>\r\n",
            "C\r\n",
            kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n</MEET>\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n"},
        RewriteCase{"TwoSessionsBeforeOneMeet",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</SESSIONS>\r\n"
                    "a\r\n</SESSIONS>\r\nb\r\n</MEET>\r\n",
                    "C\r\n",
                    kHeaderUtf8 +
                        "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\nC\r\n</SESSIONS>\r\nC\r\n"
                        "</MEET>\r\n"},
        RewriteCase{"LoneLfBecomesCrLfAndTheLastLineGetsOne",
                    "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<LENEX version=\"3.0\">\n"
                    "  <A x=\"1,2\"/>\r\n</SESSIONS>\nold\n</MEET>\n</LENEX>",
                    "C\r\n",
                    kHeader1250 +
                        "<LENEX version=\"3.0\">\r\n  <A x=\"1,2\"/>\r\n</SESSIONS>\r\nC\r\n"
                        "</MEET>\r\n</LENEX>\r\n"},
        RewriteCase{"LoneCrStaysInsideTheLine",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\na\rb\r\n</SESSIONS>\r\n"
                    "</MEET>\r\n",
                    "",
                    kHeaderUtf8 + "<LENEX version=\"3.0\">\r\na\rb\r\n</SESSIONS>\r\n</MEET>\r\n"},
        RewriteCase{"EmptyFirstLineDeclaresUtf8",
                    "\r\n<LENEX version=\"3.0\">\r\n</SESSIONS>\r\n</MEET>\r\n", "C\r\n",
                    kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n"},
        RewriteCase{"ByteOrderMarkAndSpacedDeclarationAreReplaced",
                    "\xEF\xBB\xBF  <?xml version=\"1.0\" encoding=\"UTF-8\" ?>  \r\n"
                    "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\n</MEET>\r\n",
                    "C\r\n",
                    kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  std::string document;
  std::string message;
};

const std::string kUnchanged = " Operacja anulowana, plik zgłoszenia nie został zmieniony.";
const std::string kNoSessions =
    "W dokumencie LEF pliku zgłoszenia nie ma wiersza </SESSIONS>, więc nie ma miejsca, w które "
    "można wkleić zawodników." +
    kUnchanged;
const std::string kNoMeet =
    "W dokumencie LEF pliku zgłoszenia po wierszu </SESSIONS> brakuje wiersza </MEET>, a "
    "wklejenie zawodników usunęłoby zakończenie dokumentu." +
    kUnchanged;
const std::string kFirstLine =
    "Pierwszy wiersz dokumentu LEF w pliku zgłoszenia zawiera coś więcej niż deklarację XML, a "
    "zastąpienie go usunęłoby tę treść z dokumentu." +
    kUnchanged;

class RefuseText : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefuseText, TellsWhyAndGivesNothing) {
  const RefusalCase& c = GetParam();
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, c.document, kClubs, kWindows1250);
  EXPECT_EQ(r.kind, Rewrite::Refused);
  EXPECT_EQ(r.text, "");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], testing::Stop(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefuseText,
    ::testing::Values(
        RefusalCase{"EmptyDocument", "",
                    "Dokument LEF w pliku zgłoszenia jest pusty." + kUnchanged},
        RefusalCase{"OneLine", "<?xml version=\"1.0\"?>", kNoSessions},
        RefusalCase{"NoSessions",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n<CLUBS/>\r\n</MEET>\r\n",
                    kNoSessions},
        RefusalCase{"OnlyLowerCaseSessions",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</sessions>\r\n"
                    "</MEET>\r\n",
                    kNoSessions},
        RefusalCase{
            "SessionsAsAnEmptyElement",
            "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n<SESSIONS></SESSIONS>\r\n"
            "</MEET>\r\n",
            kNoSessions},
        RefusalCase{"NoMeetAfterSessions",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</SESSIONS>\r\n"
                    "<CLUBS/>\r\n</LENEX>\r\n",
                    kNoMeet},
        RefusalCase{"MeetOnlyBeforeTheSecondSessions",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n</SESSIONS>\r\n"
                    "</MEET>\r\n</SESSIONS>\r\n</LENEX>\r\n",
                    kNoMeet},
        RefusalCase{"TextBeforeTheDeclaration", Entries("3.0", "eksport <?xml version=\"1.0\"?>"),
                    kFirstLine},
        RefusalCase{"TwoDeclarationsOnLineOne",
                    Entries("3.0", "<?xml version=\"1.0\"?><?xml version=\"1.0\"?>"), kFirstLine},
        RefusalCase{"StylesheetInsteadOfDeclaration",
                    Entries("3.0", "<?xml-stylesheet href=\"a.xsl\"?>"), kFirstLine},
        RefusalCase{"RootElementAloneOnLineOne",
                    "<LENEX version=\"3.0\">\r\n<MEETS>\r\n</SESSIONS>\r\n</MEET>\r\n", kFirstLine},
        RefusalCase{"UnterminatedDeclaration", Entries("3.0", "<?xml version=\"1.0\""), kFirstLine},
        RefusalCase{"BadEncodingName", Entries("3.0", "<?xml version=\"1.0\" encoding='a\"b'?>"),
                    "Dokument LEF w pliku zgłoszenia deklaruje nieprawidłową nazwę kodowania "
                    "znaków." +
                        kUnchanged}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RewriteEntriesText, WrongVersionOnLine2IsAVersionFailure) {
  for (const std::string version : {"1.0", "3", "", "30"}) {
    FakePrompter prompter;
    const Rewrite r = RewriteEntriesText(prompter, Entries(version), kClubs, kWindows1250);
    EXPECT_EQ(r.kind, Rewrite::VersionFailure) << version;
    EXPECT_EQ(r.text, "");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], testing::Stop(WrongVersionText()));
  }
}

TEST(RewriteEntriesText, HandlesDocumentsOfAnyLength) {
  // More lines than a 16-bit counter holds, with the markers near the end.
  std::string document = "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n";
  std::string expected = kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n";
  for (int i = 0; i < 70000; ++i) {
    const std::string line = "<EVENT number=\"" + std::to_string(i) + "\"/>";
    document += line + "\n";
    expected += line + "\r\n";
  }
  document += "</SESSIONS>\n<OLD/>\n</MEET>\n";
  expected += "</SESSIONS>\r\nC\r\n</MEET>\r\n";
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, document, "C\r\n", kUtf8);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, expected);
}

struct EncodingCase {
  const char* name;
  std::string declaration;  // line 1 of the entries document
  std::string clubs;
  std::string clubsEncoding;
  std::string header;
  std::string expectedClubs;
};

class RewriteEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(RewriteEncoding, WritesTheClubsInTheEntriesEncoding) {
  const EncodingCase& c = GetParam();
  const std::string document =
      c.declaration + "\r\n<LENEX version=\"3.0\">\r\n</SESSIONS>\r\nold\r\n</MEET>\r\n";
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, document, c.clubs, c.clubsEncoding);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, c.header + "<LENEX version=\"3.0\">\r\n</SESSIONS>\r\n" + c.expectedClubs +
                        "</MEET>\r\n");
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteEncoding,
    ::testing::Values(
        // The same encoding copies bytes as they are, even ones the encoding would not accept.
        EncodingCase{"SameEncodingCopiesBytes", "<?xml version=\"1.0\" encoding=\"Windows-1250\"?>",
                     "<CLUB name=\"\xA3\xF3\x64\x9F \x81\"/>\r\n", "windows-1250", kHeader1250,
                     "<CLUB name=\"\xA3\xF3\x64\x9F \x81\"/>\r\n"},
        EncodingCase{"AliasesAreTheSameEncoding", "<?xml version=\"1.0\" encoding=\"cp1250\"?>",
                     "\xB9\r\n", "Windows-1250", kHeader1250, "\xB9\r\n"},
        EncodingCase{"Utf8CopiedAsIs", "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                     "\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n", "UTF-8", kHeaderUtf8,
                     "\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n"},
        EncodingCase{"Utf8ClubsInto1250Document",
                     "<?xml version=\"1.0\" encoding=\"Windows-1250\"?>",
                     "<CLUB name=\"\xC5\x81\xC3\xB3\x64\xC5\xBA \xC5\xBB\xC3\xB3\xC5\x82w\"/>\r\n",
                     "UTF-8", kHeader1250, "<CLUB name=\"\xA3\xF3\x64\x9F \xAF\xF3\xB3w\"/>\r\n"},
        EncodingCase{
            "Windows1250ClubsIntoUtf8Document", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
            "<CLUB name=\"\xA3\xF3\x64\x9F \xAF\xF3\xB3w\"/>\r\n", "Windows-1250", kHeaderUtf8,
            "<CLUB name=\"\xC5\x81\xC3\xB3\x64\xC5\xBA \xC5\xBB\xC3\xB3\xC5\x82w\"/>\r\n"},
        EncodingCase{"Latin2ClubsInto1250Document",
                     "<?xml version=\"1.0\" encoding=\"Windows-1250\"?>", "\xA1\xB1\xA6\xB6\r\n",
                     "ISO-8859-2", kHeader1250, "\xA5\xB9\x8C\x9C\r\n"},
        EncodingCase{"EmptyClubsNeedNoConversion",
                     "<?xml version=\"1.0\" encoding=\"Windows-1250\"?>", "", "", kHeader1250, ""},
        EncodingCase{"ByteOrderMarkMeansUtf8",
                     "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"Windows-1250\"?>", "\xA3\r\n",
                     "Windows-1250", kHeaderUtf8, "\xC5\x81\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RewriteEntriesText, RefusesACharacterTheEntriesEncodingCannotHold) {
  const std::string clubs = "<CLUB name=\"Mu\xC3\xB1oz\"/>\r\n";  // ñ is not in Windows-1250
  std::string ignored, error;
  ASSERT_FALSE(ConvertText(clubs, kUtf8, kWindows1250, ignored, error));
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, Entries(), clubs, kUtf8);
  EXPECT_EQ(r.kind, Rewrite::Refused);
  EXPECT_EQ(r.text, "");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "Nie można przenieść danych klubu z bazy zawodników (kodowanie UTF-8) do pliku "
            "zgłoszenia (kodowanie Windows-1250): " +
                error + kUnchanged);
  EXPECT_EQ(prompter.messages[0].icon, Icon::Stop);
  EXPECT_EQ(prompter.messages[0].title, "Rostrel");
}

TEST(RewriteEntries, LeavesTheDocumentInPlaceWhenRewritten) {
  testing::TempDir dir;
  const std::string path = dir.file("zawody.lef");
  testing::WriteBytes(path, Entries());
  FakePrompter prompter;
  const Rewrite r = RewriteEntries(prompter, path, kClubs, kWindows1250);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, Rewritten("3.0", kClubs));
  EXPECT_EQ(testing::ReadBytes(path), Entries());
}

TEST(RewriteEntries, DeletesTheDocumentOnAVersionFailure) {
  testing::TempDir dir;
  const std::string path = dir.file("zawody.lef");
  testing::WriteBytes(path, Entries("1.0"));
  FakePrompter prompter;
  const Rewrite r = RewriteEntries(prompter, path, kClubs, kWindows1250);
  EXPECT_EQ(r.kind, Rewrite::VersionFailure);
  EXPECT_FALSE(fileops::Exists(path));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, WrongVersionText());
}

TEST(RewriteEntries, SaysSoWhenTheWrongVersionCannotBeDeleted) {
  testing::TempDir dir;
  const std::string path = dir.file("zawody.lef");
  testing::WriteBytes(path, Entries("1.0"));
  FakePrompter prompter;
  fileops::FailAtCall(2, EACCES);  // the read succeeds, the deletion fails
  const Rewrite r = RewriteEntries(prompter, path, kClubs, kWindows1250);
  fileops::ResetFaults();
  EXPECT_EQ(r.kind, Rewrite::VersionFailure);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, WrongVersionText());
  EXPECT_EQ(prompter.messages[1].text, "Nie można usunąć dokumentu LEF: " + path + "\r\n" +
                                           std::to_string(EACCES) +
                                           " brak uprawnień do pliku lub katalogu");
  EXPECT_EQ(prompter.messages[1].icon, Icon::Stop);
}

TEST(RewriteEntries, KeepsTheDocumentWhenRefusing) {
  testing::TempDir dir;
  const std::string path = dir.file("zawody.lef");
  const std::string document = "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n";
  testing::WriteBytes(path, document);
  FakePrompter prompter;
  EXPECT_EQ(RewriteEntries(prompter, path, kClubs, kWindows1250).kind, Rewrite::Refused);
  EXPECT_EQ(testing::ReadBytes(path), document);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, kNoSessions);
}

TEST(RewriteEntries, ReportsADocumentThatCannotBeRead) {
  testing::TempDir dir;
  const std::string path = dir.file("brak.lef");
  FakePrompter prompter;
  const Rewrite r = RewriteEntries(prompter, path, kClubs, kWindows1250);
  EXPECT_EQ(r.kind, Rewrite::Failed);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "Nie można odczytać dokumentu LEF z pliku zgłoszenia: " + path +
                "\r\n2 plik lub katalog nie istnieje\r\nOperacja anulowana, plik zgłoszenia nie "
                "został zmieniony.");
  EXPECT_EQ(prompter.messages[0].icon, Icon::Stop);
  EXPECT_EQ(prompter.messages[0].title, "Rostrel");
}

}  // namespace
}  // namespace rostrel

namespace rostrel {
namespace {

TEST(RewriteEntriesEncodings, RefusesEncodingsThatAreNotHandledAsBytes) {
  const std::string entries =
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<LENEX version=\"3.0\">\r\n"
      "<SESSIONS>\r\n</SESSIONS>\r\n</MEET>\r\n";
  testing::FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, entries, "<CLUBS>\r\n</CLUBS>\r\n", "UTF-8");
  EXPECT_EQ(r.kind, Rewrite::Refused);
  EXPECT_TRUE(r.text.empty());
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text.rfind("Dokument LEF w pliku zgłoszenia jest w kodowaniu "
                                            "znaków UTF-16, którego program nie obsługuje.",
                                            0),
            0u);
  EXPECT_EQ(prompter.messages[0].icon, Icon::Stop);
}

}  // namespace
}  // namespace rostrel

namespace rostrel {
namespace {

class RewriteLayouts : public ::testing::TestWithParam<testing::layouts::Layout> {};

// Whatever the producer's layout, the rewritten document is the one-element-per-line form with
// the clubs section replaced.
TEST_P(RewriteLayouts, GiveTheOneElementPerLineFormWithTheClubsReplaced) {
  FakePrompter prompter;
  const Rewrite r =
      RewriteEntriesText(prompter, GetParam().entries, testing::layouts::kDatabaseClubs, kUtf8);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, GetParam().pasted);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Producers, RewriteLayouts,
                         ::testing::ValuesIn(testing::layouts::Layouts()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rostrel
