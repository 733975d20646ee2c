#include "athletes/read_clubs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "common/fileops.h"
#include "common/lef_document.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/layout_documents.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using testing::TempDir;
using Lines = std::vector<std::string>;

constexpr const char* kDeclaration = R"(<?xml version="1.0" encoding="windows-1250"?>)";
constexpr const char* kRoot3 = R"(<LENEX version="3.0">)";

// A LEF document: the lines, each followed by CR LF (or `eol`).
std::string Doc(const Lines& lines, const std::string& eol = "\r\n") {
  return testing::Lines(lines, eol);
}

struct ReadCase {
  std::string name;
  std::string document;
  ClubsReading::Kind kind;
  std::string clubsText;
  Lines athleteLines;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadClubsTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadClubsTextTest, KeepsTheClubsSection) {
  const ReadCase& c = GetParam();
  FakePrompter prompter;
  const ClubsReading r = ReadClubsText(prompter, c.document);
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.clubsText, c.clubsText);
  EXPECT_EQ(r.athleteLines, c.athleteLines);
  EXPECT_EQ(prompter.messages.size(), c.kind == ClubsReading::VersionFailure ? 1u : 0u);
}

const std::string kAthlete1 =
    R"(        <ATHLETE athleteid="1" lastname="Nowak" firstname="Anna">)";

INSTANTIATE_TEST_SUITE_P(
    Documents, ReadClubsTextTest,
    ::testing::Values(
        ReadCase{"Version30",
                 Doc({kDeclaration, kRoot3, "  <CLUBS>", "    <CLUB name=\"A\">", "    </CLUB>",
                      "  </CLUBS>", "</LENEX>"}),
                 ClubsReading::Read,
                 "  <CLUBS>\r\n    <CLUB name=\"A\">\r\n    </CLUB>\r\n  </CLUBS>\r\n",
                 {}},
        ReadCase{"Version20",
                 Doc({kDeclaration, "<LENEX version=\"2.0\">", "<CLUBS>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n</CLUBS>\r\n",
                 {}},
        ReadCase{"Version10",
                 Doc({kDeclaration, "<LENEX version=\"1.0\">", "<CLUBS>", kAthlete1, "</CLUBS>"}),
                 ClubsReading::VersionFailure,
                 "",
                 {}},
        // A plain substring test: a date with full stops holds "2.0".
        ReadCase{"Version10WithDate",
                 Doc({kDeclaration, "<LENEX version=\"1.0\" date=\"12.02.2019\">", "<CLUBS>",
                      "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n</CLUBS>\r\n",
                 {}},
        // Only line 2 is tested; a version further down does not help.
        ReadCase{"VersionOnLine3",
                 Doc({kDeclaration, "<LENEX>", "<!-- 3.0 -->"}),
                 ClubsReading::VersionFailure,
                 "",
                 {}},
        ReadCase{"ClubsOnLine1ThenVersionFailure",
                 Doc({"<CLUBS>", "<LENEX version=\"1.0\">"}),
                 ClubsReading::VersionFailure,
                 "<CLUBS>\r\n",
                 {}},
        // Laid out one element per line, its version stands in the root element's start tag.
        ReadCase{"SingleLineDocumentOfTheWrongVersion",
                 "<LENEX version=\"1.0\"><CLUBS><CLUB><ATHLETES><ATHLETE athleteid=\"1\"/>",
                 ClubsReading::VersionFailure,
                 "",
                 {}},
        ReadCase{"EmptyDocument", "", ClubsReading::Read, "", {}},
        ReadCase{"EmptyClubsElement",
                 Doc({kDeclaration, kRoot3, "<CLUBS/>", "<CLUB name=\"A\">", "</CLUB>"}),
                 ClubsReading::Read,
                 "",
                 {}},
        ReadCase{"LowerCaseClubs",
                 Doc({kDeclaration, kRoot3, "<clubs>", "<CLUB name=\"A\">", "</clubs>"}),
                 ClubsReading::Read,
                 "",
                 {}},
        ReadCase{"TabIndentedClubs",
                 Doc({kDeclaration, kRoot3, "\t<CLUBS>", "\t<CLUB name=\"A\">", "\t</CLUBS>"}),
                 ClubsReading::Read,
                 "\t<CLUBS>\r\n\t<CLUB name=\"A\">\r\n\t</CLUBS>\r\n",
                 {}},
        ReadCase{"ClubsWithoutAthletes",
                 Doc({kDeclaration, kRoot3, "<CLUBS>", " <CLUB name=\"A, B\" code=\"X\">",
                      "  <CONTACT name=\"Kowalski\" />", " </CLUB>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n <CLUB name=\"A, B\" code=\"X\">\r\n  <CONTACT name=\"Kowalski\" "
                 "/>\r\n </CLUB>\r\n</CLUBS>\r\n",
                 {}},
        // A contact written with its own end tag keeps it, so that it pastes whole.
        ReadCase{
            "ContactWithItsOwnEndTag",
            Doc({kDeclaration, kRoot3, "<CLUBS>", " <CLUB name=\"A\">",
                 "  <CONTACT name=\"Kowalski\">", "  </CONTACT>", " </CLUB>", "</CLUBS>"}),
            ClubsReading::Read,
            "<CLUBS>\r\n <CLUB name=\"A\">\r\n  <CONTACT name=\"Kowalski\">\r\n  </CONTACT>\r\n"
            " </CLUB>\r\n</CLUBS>\r\n",
            {}},
        ReadCase{"AthleteWithoutAttributesIsKeptNotCounted",
                 Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETES>", "<ATHLETE>", "<ATHLETE/>",
                      "</ATHLETE>", "</ATHLETES>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n<ATHLETES>\r\n<ATHLETE>\r\n<ATHLETE/>\r\n</ATHLETE>\r\n"
                 "</ATHLETES>\r\n</CLUBS>\r\n",
                 {}},
        // Joined into one line, indented two blanks for each element around it.
        ReadCase{"AttributesOverSeveralLines",
                 Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETE athleteid=\"1\"",
                      "   lastname=\"Nowak\">", "</ATHLETE>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n    <ATHLETE athleteid=\"1\" lastname=\"Nowak\">\r\n</ATHLETE>\r\n"
                 "</CLUBS>\r\n",
                 {"    <ATHLETE athleteid=\"1\" lastname=\"Nowak\">"}},
        ReadCase{"EntriesAreDropped",
                 Doc({kDeclaration, kRoot3, "<CLUBS>", kAthlete1, "  <ENTRIES>",
                      "    <ENTRY eventid=\"1\" entrytime=\"00:01:02.00\" />", "  </ENTRIES>",
                      "        </ATHLETE>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n" + kAthlete1 + "\r\n        </ATHLETE>\r\n</CLUBS>\r\n",
                 {kAthlete1}},
        ReadCase{"StopsAtTheFirstClubsEnd",
                 Doc({kDeclaration, kRoot3, "<CLUBS>", "<CLUB name=\"A\">", "</CLUB>", "</CLUBS>",
                      "<CLUBS>", "<ATHLETE athleteid=\"2\">", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n<CLUB name=\"A\">\r\n</CLUB>\r\n</CLUBS>\r\n",
                 {}},
        ReadCase{"ClubsEndBeforeClubsStartEndsTheReading",
                 Doc({kDeclaration, kRoot3, "</CLUBS>", "<CLUBS>", "<ATHLETE athleteid=\"2\">"}),
                 ClubsReading::Read,
                 "",
                 {}},
        ReadCase{"WithoutClubsEndReadsToTheEnd",
                 Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETE athleteid=\"1\">", "</LENEX>",
                      "<CONTACT email=\"x\" />"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n<ATHLETE athleteid=\"1\">\r\n<CONTACT email=\"x\" />\r\n",
                 {"<ATHLETE athleteid=\"1\">"}},
        // Short lines, blank lines and other elements are dropped; trailing blanks stay.
        ReadCase{"ShortAndOtherLinesDropped",
                 Doc({kDeclaration, kRoot3, "<CLUBS>  ", "", "   ", "<CL/>", "</A>", "<CLUB>",
                      "<OFFICIALS>", "<RELAYS>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>  \r\n<CLUB>\r\n</CLUBS>\r\n",
                 {}},
        ReadCase{"LoneLineFeeds",
                 Doc({kDeclaration, kRoot3, " <CLUBS>", "  <ATHLETE athleteid=\"1\">", " </CLUBS>"},
                     "\n"),
                 ClubsReading::Read,
                 " <CLUBS>\r\n  <ATHLETE athleteid=\"1\">\r\n </CLUBS>\r\n",
                 {"  <ATHLETE athleteid=\"1\">"}},
        // A lone CR does not end a line, but it parts two tags as a blank would.
        ReadCase{
            "LoneCarriageReturnBetweenTags",
            Doc({kDeclaration, kRoot3, "<CLUBS>", "<CLUB>\r<ATHLETE athleteid=\"1\">", "</CLUBS>"}),
            ClubsReading::Read,
            "<CLUBS>\r\n    <CLUB>\r\n      <ATHLETE athleteid=\"1\">\r\n</CLUBS>\r\n",
            {"      <ATHLETE athleteid=\"1\">"}},
        ReadCase{"LastLineWithoutTerminator",
                 Doc({kDeclaration, kRoot3, "<CLUBS>"}) + "</CLUBS>",
                 ClubsReading::Read,
                 "<CLUBS>\r\n</CLUBS>\r\n",
                 {}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReadClubsText, ThreeAthletesInTwoClubs) {
  const Lines lines = {
      kDeclaration,
      R"(<LENEX version="3.0">)",
      R"(  <CONSTRUCTOR name="Test" />)",
      R"(  <MEETS>)",
      R"(    <MEET name="Baza">)",
      R"(      <CLUBS>)",
      R"(        <CLUB name="UKS Delfin, Łódź" code="DEL" nation="POL">)",
      R"(          <CONTACT name="Jan Kowalski" email="jan@example.pl" />)",
      R"(          <ATHLETES>)",
      R"(            <ATHLETE athleteid="1" lastname="Nowak" firstname="Anna" gender="F" birthdate="2001-05-04">)",
      R"(              <ENTRIES>)",
      R"(                <ENTRY eventid="3" entrytime="00:01:05.20" />)",
      R"(              </ENTRIES>)",
      R"(            </ATHLETE>)",
      R"(            <ATHLETE athleteid="2" lastname="Wiśniewski" firstname="Piotr" gender="M" birthdate="2000-01-02">)",
      R"(            </ATHLETE>)",
      R"(          </ATHLETES>)",
      R"(        </CLUB>)",
      R"(        <CLUB name="MKS Orka" code="ORK" nation="POL">)",
      R"(          <CONTACT name="Ewa Zając" />)",
      R"(          <ATHLETES>)",
      R"(            <ATHLETE athleteid="3" lastname="Zając" firstname="Ewa" gender="F" birthdate="1999-12-31">)",
      R"(            </ATHLETE>)",
      R"(          </ATHLETES>)",
      R"(        </CLUB>)",
      R"(      </CLUBS>)",
      R"(    </MEET>)",
      R"(  </MEETS>)",
      R"(</LENEX>)",
  };
  FakePrompter prompter;
  const ClubsReading r = ReadClubsText(prompter, Doc(lines));
  const std::string expected =
      "      <CLUBS>\r\n"
      "        <CLUB name=\"UKS Delfin, Łódź\" code=\"DEL\" nation=\"POL\">\r\n"
      "          <CONTACT name=\"Jan Kowalski\" email=\"jan@example.pl\" />\r\n"
      "          <ATHLETES>\r\n"
      "            <ATHLETE athleteid=\"1\" lastname=\"Nowak\" firstname=\"Anna\" gender=\"F\" "
      "birthdate=\"2001-05-04\">\r\n"
      "            </ATHLETE>\r\n"
      "            <ATHLETE athleteid=\"2\" lastname=\"Wiśniewski\" firstname=\"Piotr\" "
      "gender=\"M\" birthdate=\"2000-01-02\">\r\n"
      "            </ATHLETE>\r\n"
      "          </ATHLETES>\r\n"
      "        </CLUB>\r\n"
      "        <CLUB name=\"MKS Orka\" code=\"ORK\" nation=\"POL\">\r\n"
      "          <CONTACT name=\"Ewa Zając\" />\r\n"
      "          <ATHLETES>\r\n"
      "            <ATHLETE athleteid=\"3\" lastname=\"Zając\" firstname=\"Ewa\" gender=\"F\" "
      "birthdate=\"1999-12-31\">\r\n"
      "            </ATHLETE>\r\n"
      "          </ATHLETES>\r\n"
      "        </CLUB>\r\n"
      "      </CLUBS>\r\n";
  EXPECT_EQ(r.kind, ClubsReading::Read);
  EXPECT_EQ(r.clubsText, expected);
  EXPECT_EQ(r.athleteLines, (Lines{lines[9], lines[14], lines[21]}));
  EXPECT_EQ(r.encoding, "Windows-1250");
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(ReadClubsText, VersionFailureMessage) {
  FakePrompter prompter;
  ReadClubsText(prompter, Doc({kDeclaration, "<LENEX version=\"1.0\">"}));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(
      prompter.messages[0],
      testing::Stop("Otwierany plik jest w niewłaściwej wersji. Aby rozwiązać problem, zajrzyj do "
                    "instrukcji https://rostrel.pl/instrukcja/ "));
}

TEST(ReadClubsText, RecordsTheDeclaredEncoding) {
  struct Case {
    std::string firstLine, encoding;
  };
  for (const Case& c :
       {Case{kDeclaration, "Windows-1250"},
        Case{R"(<?xml version="1.0" encoding="UTF-8"?>)", "UTF-8"},
        Case{R"(<?xml version="1.0"?>)", "UTF-8"},
        Case{"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>", "UTF-8"},
        Case{R"(<?xml version="1.0" encoding='latin2'?>)", "ISO-8859-2"}}) {
    FakePrompter prompter;
    EXPECT_EQ(ReadClubsText(prompter, Doc({c.firstLine, kRoot3})).encoding, c.encoding)
        << c.firstLine;
  }
}

// Far more lines than a 16-bit counter holds, and more than 65,535 athletes.
TEST(ReadClubsText, HundredThousandAthletes) {
  constexpr size_t kAthletes = 100'000;
  std::string document = Doc({kDeclaration, kRoot3, "<CLUBS>", "<CLUB name=\"A\">", "<ATHLETES>"});
  std::string expected = "<CLUBS>\r\n<CLUB name=\"A\">\r\n<ATHLETES>\r\n";
  for (size_t i = 1; i <= kAthletes; ++i) {
    const std::string start = "  <ATHLETE athleteid=\"" + std::to_string(i) + "\" lastname=\"N\">";
    document += start + "\r\n    <ENTRIES>\r\n    </ENTRIES>\r\n  </ATHLETE>\r\n";
    expected += start + "\r\n  </ATHLETE>\r\n";
  }
  document += Doc({"</ATHLETES>", "</CLUB>", "</CLUBS>", "<CLUB name=\"after\">"});
  expected += "</ATHLETES>\r\n</CLUB>\r\n</CLUBS>\r\n";

  FakePrompter prompter;
  const ClubsReading r = ReadClubsText(prompter, document);
  EXPECT_EQ(r.kind, ClubsReading::Read);
  ASSERT_EQ(r.athleteLines.size(), kAthletes);
  EXPECT_EQ(r.athleteLines.back(), "  <ATHLETE athleteid=\"100000\" lastname=\"N\">");
  EXPECT_EQ(r.clubsText.size(), expected.size());
  EXPECT_TRUE(r.clubsText == expected);  // 5 MB: EXPECT_EQ would print it all on failure
}

class ReadClubsFileTest : public ::testing::Test {
 protected:
  void TearDown() override { fileops::ResetFaults(); }

  std::string Write(const std::string& bytes) {
    const std::string path = dir.file("baza.lef");
    FileError err;
    EXPECT_TRUE(fileops::WriteFile(path, bytes, err)) << Describe(err);
    return path;
  }

  TempDir dir;
  FakePrompter prompter;
};

TEST_F(ReadClubsFileTest, DocumentIsDeletedAfterReading) {
  const std::string path =
      Write(Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETE athleteid=\"7\">", "</CLUBS>"}));
  const ClubsReading r = ReadClubs(prompter, path);
  EXPECT_EQ(r.kind, ClubsReading::Read);
  EXPECT_EQ(r.clubsText, "<CLUBS>\r\n<ATHLETE athleteid=\"7\">\r\n</CLUBS>\r\n");
  EXPECT_EQ(r.athleteLines, Lines{"<ATHLETE athleteid=\"7\">"});
  EXPECT_FALSE(fileops::Exists(path));
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(ReadClubsFileTest, DocumentIsDeletedAfterVersionFailure) {
  const std::string path = Write(Doc({"<CLUBS>", "<LENEX version=\"1.0\">", "<CLUB>"}));
  const ClubsReading r = ReadClubs(prompter, path);
  EXPECT_EQ(r.kind, ClubsReading::VersionFailure);
  EXPECT_EQ(r.clubsText, "<CLUBS>\r\n");
  EXPECT_FALSE(fileops::Exists(path));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, WrongVersionText());
}

TEST_F(ReadClubsFileTest, ReadFailureIsReportedAndTheDocumentDeleted) {
  const std::string path = Write(Doc({kDeclaration, kRoot3, "<CLUBS>", "</CLUBS>"}));
  fileops::FailAtCall(1, EACCES);
  const ClubsReading r = ReadClubs(prompter, path);
  EXPECT_EQ(r.kind, ClubsReading::Failed);
  EXPECT_FALSE(fileops::Exists(path));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(
      prompter.messages[0],
      testing::Stop("Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" + path + "\r\n" +
                    std::to_string(EACCES) + " brak uprawnień do pliku lub katalogu"));
}

TEST_F(ReadClubsFileTest, MissingDocumentGivesOneMessage) {
  const ClubsReading r = ReadClubs(prompter, dir.file("brak.lef"));
  EXPECT_EQ(r.kind, ClubsReading::Failed);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" +
                                           dir.file("brak.lef") + "\r\n" + std::to_string(ENOENT) +
                                           " plik lub katalog nie istnieje");
}

TEST_F(ReadClubsFileTest, DeletionFailureEndsTheReading) {
  const std::string path =
      Write(Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETE athleteid=\"7\">", "</CLUBS>"}));
  fileops::FailAtCall(2, EBUSY);
  const ClubsReading r = ReadClubs(prompter, path);
  EXPECT_EQ(r.kind, ClubsReading::Failed);
  EXPECT_EQ(r.clubsText, "");
  EXPECT_TRUE(r.athleteLines.empty());
  EXPECT_TRUE(fileops::Exists(path));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "Nie udało się usunąć pliku LEF rozpakowanego z bazy zawodników:\r\n" + path +
                "\r\nUsuń ten plik, zanim ponownie otworzysz bazę.\r\n" + std::to_string(EBUSY) +
                " plik jest używany przez inny program");
  EXPECT_EQ(prompter.messages[0].icon, Icon::Stop);
}

TEST_F(ReadClubsFileTest, DeletionFailureAfterVersionFailureShowsBothMessages) {
  const std::string path = Write(Doc({kDeclaration, "<LENEX version=\"1.0\">"}));
  fileops::FailAtCall(2, EACCES);
  const ClubsReading r = ReadClubs(prompter, path);
  EXPECT_EQ(r.kind, ClubsReading::Failed);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, WrongVersionText());
  EXPECT_EQ(prompter.messages[1].text.rfind("Nie udało się usunąć pliku LEF", 0), 0u);
}

}  // namespace
}  // namespace rostrel

namespace rostrel {
namespace {

class ReadLayouts : public ::testing::TestWithParam<testing::layouts::Layout> {};

// Whatever the producer's layout, reading keeps what it keeps of the document written one
// element per line; tab indentation stays as the document has it.
TEST_P(ReadLayouts, KeepTheClubsSectionOfTheOneElementPerLineForm) {
  FakePrompter prompter;
  const ClubsReading r = ReadClubsText(prompter, GetParam().database);
  EXPECT_EQ(r.kind, ClubsReading::Read);
  EXPECT_EQ(r.clubsText, GetParam().databaseClubs);
  EXPECT_EQ(r.athleteLines, GetParam().athletes);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Producers, ReadLayouts, ::testing::ValuesIn(testing::layouts::Layouts()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rostrel
