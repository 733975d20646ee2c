#include "athletes/read_clubs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/fileops.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/layout_documents.h"
#include "support/sample_documents.h"
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

constexpr const char* kWrongVersion =
    "Otwierany plik jest w niewłaściwej wersji. Aby rozwiązać problem, zajrzyj do instrukcji "
    "https://rostrel.pl/instrukcja/ ";

struct ReadCase {
  std::string name;
  std::string document;
  ClubsReading::Kind kind;
  std::string clubsText;
  Lines athleteLines;
  std::string balance = "";  // what the kept lines' tags come to, by the document's own lines
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

using Change = std::function<std::string(const std::string&)>;

// The sample database changed by `change`, read as the sample's clubs section and athlete lines
// changed by `kept` (none: as they stand).
ReadCase Sample(std::string name, const Change& change, const Change& kept = {},
                const testing::samples::Encoding& e = testing::samples::kUtf8) {
  using namespace testing::samples;
  const auto keep = [&](const std::string& text) { return kept ? kept(text) : text; };
  Lines athletes;
  for (const std::string& line : AthleteLines(e)) athletes.push_back(keep(line));
  return {std::move(name), change(Database(e)), ClubsReading::Read, keep(ClubsText(e)), athletes};
}
const Change kSame = [](const std::string& d) { return d; };

const std::string kTenMegabytes(10 << 20, 'x');
const Change kNulInName = [](const std::string& d) {
  return testing::ReplaceAll(d, "Zofia\"", std::string("Zo\0fia\"", 7));
};

class ReadClubsTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadClubsTextTest, KeepsTheClubsSection) {
  const ReadCase& c = GetParam();
  FakePrompter prompter;
  const ClubsReading r = ReadClubsText(prompter, c.document);
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.clubs.text, c.clubsText);
  EXPECT_EQ(r.athleteLines, c.athleteLines);
  EXPECT_EQ(DescribeTagBalance(r.clubs.balance), c.balance);
  EXPECT_EQ(prompter.messages, c.kind == ClubsReading::VersionFailure
                                   ? std::vector<testing::Shown>{testing::Stop(kWrongVersion)}
                                   : std::vector<testing::Shown>{});
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
        // Only the root's start tag is tested, wherever it stands; a version further down does
        // not help, and a document without a root gets no version test.
        ReadCase{"VersionOnLine3",
                 Doc({kDeclaration, "<LENEX>", "<!-- 3.0 -->"}),
                 ClubsReading::VersionFailure,
                 "",
                 {}},
        ReadCase{"CommentOnLine2",
                 Doc({kDeclaration, "<!-- eksport -->", kRoot3, "<CLUBS>", "</CLUBS>"}),
                 ClubsReading::Read,
                 "<CLUBS>\r\n</CLUBS>\r\n",
                 {}},
        ReadCase{"NoRootElement", Doc({kDeclaration, "tekst"}), ClubsReading::Read, "", {}},
        ReadCase{"ClubsBeforeTheRootThenVersionFailure",
                 Doc({"<!--", "<CLUBS>", "-->", "<LENEX version=\"1.0\">"}),
                 ClubsReading::VersionFailure,
                 "<CLUBS>\r\n",
                 {},
                 "znacznik <CLUBS> z wiersza 2 nie został zamknięty"},
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
                 {},
                 "znacznik </CLUBS> w wierszu 5 nie zamyka otwartego znacznika <CLUB> z wiersza 4"},
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
                 {"<ATHLETE athleteid=\"1\">"},
                 "znacznik <ATHLETE> z wiersza 4 nie został zamknięty"},
        // Short lines, blank lines and other elements are dropped; trailing blanks stay.
        ReadCase{
            "ShortAndOtherLinesDropped",
            Doc({kDeclaration, kRoot3, "<CLUBS>  ", "", "   ", "<CL/>", "</A>", "<CLUB>",
                 "<OFFICIALS>", "<RELAYS>", "</CLUBS>"}),
            ClubsReading::Read,
            "<CLUBS>  \r\n<CLUB>\r\n</CLUBS>\r\n",
            {},
            "znacznik </CLUBS> w wierszu 11 nie zamyka otwartego znacznika <CLUB> z wiersza 8"},
        ReadCase{"LoneLineFeeds",
                 Doc({kDeclaration, kRoot3, " <CLUBS>", "  <ATHLETE athleteid=\"1\">", " </CLUBS>"},
                     "\n"),
                 ClubsReading::Read,
                 " <CLUBS>\r\n  <ATHLETE athleteid=\"1\">\r\n </CLUBS>\r\n",
                 {"  <ATHLETE athleteid=\"1\">"},
                 "znacznik </CLUBS> w wierszu 5 nie zamyka otwartego znacznika <ATHLETE> z "
                 "wiersza 4"},
        // A lone CR does not end a line, but it parts two tags as a blank would; both are on
        // the document's line 4.
        ReadCase{
            "LoneCarriageReturnBetweenTags",
            Doc({kDeclaration, kRoot3, "<CLUBS>", "<CLUB>\r<ATHLETE athleteid=\"1\">", "</CLUBS>"}),
            ClubsReading::Read,
            "<CLUBS>\r\n    <CLUB>\r\n      <ATHLETE athleteid=\"1\">\r\n</CLUBS>\r\n",
            {"      <ATHLETE athleteid=\"1\">"},
            "znacznik </CLUBS> w wierszu 5 nie zamyka otwartego znacznika <ATHLETE> z wiersza 4"},
        // An unquoted value with an apostrophe would take the rest for one tag: nothing is kept.
        ReadCase{
            "QuoteThatRunsOn",
            Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETE athleteid=\"1\" lastname=O'Brien />",
                 "<ATHLETE athleteid=\"2\" lastname=\"Nowak\" />", "</CLUBS>"}),
            ClubsReading::Damaged,
            "",
            {},
            "cudzysłów otwarty w wierszu 4 nie został zamknięty przed znakiem <"},
        // A database cut short inside a club's start tag: the tag is kept, laid out at its level.
        ReadCase{"CutShortInsideAClubTag",
                 Doc({kDeclaration, kRoot3, "<CLUBS>"}) + "<CLUB",
                 ClubsReading::Read,
                 "<CLUBS>\r\n    <CLUB\r\n",
                 {},
                 "znacznik <CLUB rozpoczęty w wierszu 4 nie kończy się znakiem >"},
        ReadCase{"LastLineWithoutTerminator",
                 Doc({kDeclaration, kRoot3, "<CLUBS>"}) + "</CLUBS>",
                 ClubsReading::Read,
                 "<CLUBS>\r\n</CLUBS>\r\n",
                 {}},
        // The samples: two clubs with their contacts and athletes, whose entries are dropped.
        Sample("SampleDatabaseCp1250", kSame, {}, testing::samples::kCp1250),
        Sample("SampleDatabaseUtf8", kSame),
        // Hostile documents: the clubs section is kept exactly as the document has it, whatever
        // bytes it holds. One long line with its tags parted by CRs is laid out anew, with the
        // very indentation the sample has; tabs count as indentation as blanks do.
        Sample("NulBytes", kNulInName, kNulInName),
        ReadCase{"OneLineOfTenMegabytes", kTenMegabytes, ClubsReading::Read, "", {}},
        Sample("TenMegabyteLineInside",
               [](const std::string& d) {
                 return testing::ReplaceAll(d, "<CONSTRUCTOR ",
                                            "<CONSTRUCTOR x=\"" + kTenMegabytes + "\" ");
               }),
        Sample("LinesEndedByLoneCr",
               [](const std::string& d) { return testing::ReplaceAll(d, "\r\n", "\r"); }),
        Sample("LinesEndedByLoneLf",
               [](const std::string& d) { return testing::ReplaceAll(d, "\r\n", "\n"); }),
        Sample("TabIndented", testing::TabIndented, testing::TabIndented),
        Sample("ByteOrderMark", [](const std::string& d) { return "\xEF\xBB\xBF" + d; })),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReadClubsText, RecordsTheDeclaredEncoding) {
  struct Case {
    std::string firstLine, encoding;
  };
  for (const Case& c :
       {Case{kDeclaration, "Windows-1250"},
        Case{R"(<?xml version="1.0" encoding="UTF-8"?>)", "UTF-8"},
        Case{R"(<?xml version="1.0"?>)", "UTF-8"},
        Case{"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>", "UTF-8"},
        Case{R"(<?xml version="1.0" encoding='latin2'?>)", "ISO-8859-2"},
        Case{R"(<?xml version="1.0" encoding="UTF-16"?>)", "UTF-16"}}) {
    FakePrompter prompter;
    EXPECT_EQ(ReadClubsText(prompter, Doc({c.firstLine, kRoot3})).clubs.encoding, c.encoding)
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
  EXPECT_EQ(r.clubs.text.size(), expected.size());
  EXPECT_TRUE(r.clubs.text == expected);  // 5 MB: EXPECT_EQ would print it all on failure
}

// The clubs section read from the unpacked document's file, piece by piece; the file stays for the
// open action to remove. A failing read is a row of the open action's fault sweep.
struct FileCase {
  const char* name;
  std::optional<std::string> document;  // none: the file is missing
  ClubsReading::Kind kind;
  std::string clubsText;
  Lines athleteLines;
  std::vector<std::function<testing::Shown(const std::string& path)>> shown;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

testing::Shown WrongVersion(const std::string&) { return testing::Stop(kWrongVersion); }

const std::string kSeven =
    Doc({kDeclaration, kRoot3, "<CLUBS>", "<ATHLETE athleteid=\"7\">", "</CLUBS>"});

// clang-format off
const FileCase kFileCases[] = {
    {"DocumentIsRead", kSeven, ClubsReading::Read, "<CLUBS>\r\n<ATHLETE athleteid=\"7\">\r\n</CLUBS>\r\n",
     {"<ATHLETE athleteid=\"7\">"}, {}},
    {"VersionFailure", Doc({"<CLUBS>", "<LENEX version=\"1.0\">", "<CLUB>"}),
     ClubsReading::VersionFailure, "", {}, {WrongVersion}},
    {"MissingDocumentGivesOneMessage", std::nullopt, ClubsReading::Failed, "", {},
     {[](const std::string& path) {
       return testing::Stop("Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" + path +
                            "\r\n" + std::to_string(ENOENT) + " plik lub katalog nie istnieje");
     }}},
};
// clang-format on

class ReadClubsFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(ReadClubsFile, ReadsTheDocumentAndLeavesIt) {
  const FileCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file("baza.lef");
  if (c.document) testing::WriteBytes(path, *c.document);
  FakePrompter prompter;
  const ClubsReading r = ReadClubs(prompter, path);
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.clubs.text, c.clubsText);
  EXPECT_EQ(r.athleteLines, c.athleteLines);
  EXPECT_EQ(std::filesystem::exists(fileops::FsPath(path)), c.document.has_value());
  std::vector<testing::Shown> shown;
  for (const auto& message : c.shown) shown.push_back(message(path));
  EXPECT_EQ(prompter.messages, shown);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadClubsFile, ::testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

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
  EXPECT_EQ(r.clubs.text, GetParam().databaseClubs);
  EXPECT_EQ(r.athleteLines, GetParam().athletes);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Producers, ReadLayouts, ::testing::ValuesIn(testing::layouts::Layouts()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rostrel
