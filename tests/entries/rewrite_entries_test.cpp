#include "entries/rewrite_entries.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/fileops.h"
#include "support/documents.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/layout_documents.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using testing::kCp1250Declaration;
using testing::kUtf8Declaration;

const std::string kHeader1250 = "<?xml version=\"1.0\" encoding=\"Windows-1250\"?>\r\n";
const std::string kHeaderUtf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

const std::string kClubs =
    "      <CLUBS>\r\n"
    "        <CLUB name=\"Nowy, Klub\">\r\n"
    "        </CLUB>\r\n"
    "      </CLUBS>\r\n";

const std::string kUnchanged = " Operacja anulowana, plik zgłoszenia nie został zmieniony.";
const std::string kEntriesFile = "/zawody/zgłoszenie.lxf";

// The refusal of an entries document that is damaged where `finding` says.
const std::string kSaveAgain =
    "Zapisz ten plik ponownie w programie, w którym go utworzono, albo poproś organizatora zawodów "
    "o nowy plik zgłoszenia.";
std::string Damaged(const std::string& finding) {
  return "Plik zgłoszenia jest uszkodzony:\r\n/zawody/zgłoszenie.lxf\r\nW jego dokumencie LEF " +
         finding + ". " + kSaveAgain + kUnchanged;
}
const std::string kWrongVersion =
    "Otwierany plik jest w niewłaściwej wersji. Aby rozwiązać problem, zajrzyj do instrukcji "
    "https://rostrel.pl/instrukcja/ ";

// An entries document in the shape the program meets: one element per line, CR LF.
std::string Entries(const std::string& version = "3.0",
                    const std::string& declaration = kCp1250Declaration,
                    const std::string& clubs =
                        "      <CLUBS>\r\n        <CLUB name=\"Stary\"/>\r\n"
                        "      </CLUBS>\r\n") {
  return testing::Lenex{declaration, version, "<MEET name=\"Zawody\">", true, clubs}.Text();
}

std::string Rewritten(const std::string& version, const std::string& clubs,
                      const std::string& header = kHeader1250) {
  return testing::Lenex{header.substr(0, header.size() - 2), version, "<MEET name=\"Zawody\">",
                        true, clubs}
      .Text();
}

// A document whose root element holds the given lines, and the same document rewritten.
std::string Doc(const std::string& inside,
                const std::string& line1 = "<?xml version=\"1.0\"?>\r\n") {
  return line1 + "<LENEX version=\"3.0\">\r\n" + inside + "</LENEX>\r\n";
}
std::string Out(const std::string& inside) {
  return kHeaderUtf8 + "<LENEX version=\"3.0\">\r\n" + inside + "</LENEX>\r\n";
}
const std::string kOneMeet = "<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\nold\r\n</MEET>\r\n";
const std::string kOneMeetPasted = "<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\nC\r\n</MEET>\r\n";

// More event lines than a 16-bit counter holds.
std::string Events(const std::string& eol) {
  std::string events;
  for (int i = 0; i < 70000; ++i) events += "<EVENT number=\"" + std::to_string(i) + "\"/>" + eol;
  return events;
}

struct RewriteCase {
  const char* name;
  std::string document;
  std::string expected;
  std::string clubs = "C\r\n";
};

class RewriteText : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteText, GivesTheWholeNewDocument) {
  const RewriteCase& c = GetParam();
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, kEntriesFile, c.document, c.clubs, kWindows1250);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, c.expected);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteText,
    ::testing::Values(
        RewriteCase{"Lenex30", Entries("3.0"), Rewritten("3.0", kClubs), kClubs},
        RewriteCase{"EmptyClubsTextRemovesTheSection", Entries(), Rewritten("3.0", ""), ""},
        RewriteCase{"MarkersWithBlanksAroundThem",
                    Doc("<MEET>\r\n<SESSIONS>\r\n   </SESSIONS>  \r\nold\r\n </MEET>\r\n"),
                    Out("<MEET>\r\n<SESSIONS>\r\n   </SESSIONS>  \r\nC\r\n </MEET>\r\n")},
        // Tabs are trimmed like blanks; letter case counts; markers sharing a line are cut apart
        // (and the lines cut are indented by their level); a second end of sessions before the
        // end of the meet gets the clubs too.
        RewriteCase{
            "TabsTrimmedLowerCaseNoMarkerSharedLinesCut",
            Doc("<MEET>\r\n<SESSIONS>\r\n<SESSIONS>\r\n\t</SESSIONS>\r\n<sessions>\r\n"
                "</sessions>\r\n</SESSIONS></MEET>\r\n<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\n"
                "old\r\n<meet>\r\n</meet>\r\n</MEET>\r\n"),
            Out("<MEET>\r\n<SESSIONS>\r\n<SESSIONS>\r\n\t</SESSIONS>\r\nC\r\n"
                "    </SESSIONS>\r\nC\r\n  </MEET>\r\n<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\n"
                "C\r\n</MEET>\r\n")},
        RewriteCase{"SessionsAndMeetOnOneLineAreCutApart",
                    Doc("<MEET>\r\n<SESSIONS>\r\n</SESSIONS></MEET>\r\n"),
                    Out("<MEET>\r\n<SESSIONS>\r\n    </SESSIONS>\r\nC\r\n  </MEET>\r\n")},
        RewriteCase{"TwoMeetsEachGetTheClubs", Doc(kOneMeet + "between\r\n" + kOneMeet + "end\r\n"),
                    Out(kOneMeetPasted + "between\r\n" + kOneMeetPasted + "end\r\n")},
        RewriteCase{"MeetBeforeSessionsIsCopied", Doc("<MEET>\r\n</MEET>\r\n" + kOneMeet),
                    Out("<MEET>\r\n</MEET>\r\n" + kOneMeetPasted)},
        RewriteCase{"TwoSessionsBeforeOneMeet",
                    Doc("<MEET>\r\n<SESSIONS>\r\n<SESSIONS>\r\n</SESSIONS>\r\na\r\n</SESSIONS>\r\n"
                        "b\r\n</MEET>\r\n"),
                    Out("<MEET>\r\n<SESSIONS>\r\n<SESSIONS>\r\n</SESSIONS>\r\nC1\r\nC2\r\n"
                        "</SESSIONS>\r\nC1\r\nC2\r\n</MEET>\r\n"),
                    "C1\r\nC2\r\n"},
        RewriteCase{"LoneLfBecomesCrLfAndTheLastLineGetsOne",
                    "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<LENEX version=\"3.0\">\n"
                    "<MEET>\n<SESSIONS>\n  <A x=\"1,2\"/>\r\n</SESSIONS>\nold\n</MEET>\n</LENEX>",
                    kHeader1250 +
                        "<LENEX version=\"3.0\">\r\n<MEET>\r\n<SESSIONS>\r\n  <A x=\"1,2\"/>\r\n"
                        "</SESSIONS>\r\nC\r\n</MEET>\r\n</LENEX>\r\n"},
        RewriteCase{"LoneCrStaysInsideTheLine",
                    Doc("<MEET>\r\n<SESSIONS>\r\na\rb\r\n</SESSIONS>\r\n</MEET>\r\n"),
                    Out("<MEET>\r\n<SESSIONS>\r\na\rb\r\n</SESSIONS>\r\n</MEET>\r\n"), ""},
        RewriteCase{"EmptyFirstLineDeclaresUtf8", Doc(kOneMeet, "\r\n"), Out(kOneMeetPasted)},
        RewriteCase{
            "ByteOrderMarkAndSpacedDeclarationAreReplaced",
            Doc(kOneMeet, "\xEF\xBB\xBF  <?xml version=\"1.0\" encoding=\"UTF-8\" ?>  \r\n"),
            Out(kOneMeetPasted)},
        // Laid out anew, the version is looked for on the root's line, not on line 2.
        RewriteCase{"VersionOnTheRootLaidOutAnew",
                    "<?xml version=\"1.0\"?>\r\n<!-- eksport --><LENEX version=\"3.0\">\r\n" +
                        kOneMeet + "</LENEX>\r\n",
                    kHeaderUtf8 + "<!-- eksport -->\r\n<LENEX version=\"3.0\">\r\n" +
                        kOneMeetPasted + "</LENEX>\r\n"},
        RewriteCase{
            "HandlesDocumentsOfAnyLength",
            Doc("<MEET>\r\n<SESSIONS>\r\n" + Events("\n") + "</SESSIONS>\n<OLD/>\n</MEET>\n"),
            Out("<MEET>\r\n<SESSIONS>\r\n" + Events("\r\n") + "</SESSIONS>\r\nC\r\n</MEET>\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  std::string document;
  std::string message;
  Rewrite::Kind kind = Rewrite::Refused;
  std::string clubs = kClubs;
  std::string clubsEncoding = kWindows1250;
};

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
    "zastąpienie go usunęłoby tę treść z dokumentu. " +
    kSaveAgain + kUnchanged;
const std::string kNoDeclaration =
    "Dokument LEF w pliku zgłoszenia nie ma w pierwszym wierszu deklaracji XML (<?xml ... ?>). " +
    kSaveAgain + kUnchanged;

class RefuseText : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefuseText, TellsWhyAndGivesNothing) {
  const RefusalCase& c = GetParam();
  FakePrompter prompter;
  const Rewrite r =
      RewriteEntriesText(prompter, kEntriesFile, c.document, c.clubs, c.clubsEncoding);
  EXPECT_EQ(r.kind, c.kind);
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
        RefusalCase{"NoSessions", Doc("<CLUBS/>\r\n</MEET>\r\n"), kNoSessions},
        RefusalCase{"OnlyLowerCaseSessions", Doc("</sessions>\r\n</MEET>\r\n"), kNoSessions},
        RefusalCase{"SessionsAsAnEmptyElement", Doc("<SESSIONS></SESSIONS>\r\n</MEET>\r\n"),
                    kNoSessions},
        RefusalCase{"NoMeetAfterSessions", Doc("</SESSIONS>\r\n<CLUBS/>\r\n"), kNoMeet},
        RefusalCase{"MeetOnlyBeforeTheSecondSessions",
                    Doc("</SESSIONS>\r\n</MEET>\r\n</SESSIONS>\r\n"), kNoMeet},
        RefusalCase{"TextBeforeTheDeclaration", Entries("3.0", "eksport <?xml version=\"1.0\"?>"),
                    kFirstLine},
        RefusalCase{"TwoDeclarationsOnLineOne",
                    Entries("3.0", "<?xml version=\"1.0\"?><?xml version=\"1.0\"?>"), kFirstLine},
        RefusalCase{"StylesheetInsteadOfDeclaration",
                    Entries("3.0", "<?xml-stylesheet href=\"a.xsl\"?>"), kNoDeclaration},
        RefusalCase{"RootElementAloneOnLineOne",
                    "<LENEX version=\"3.0\">\r\n<MEETS>\r\n</SESSIONS>\r\n</MEET>\r\n",
                    kNoDeclaration},
        RefusalCase{"UnterminatedDeclaration", Entries("3.0", "<?xml version=\"1.0\""), kFirstLine},
        RefusalCase{"BadEncodingName", Entries("3.0", "<?xml version=\"1.0\" encoding='a\"b'?>"),
                    "Dokument LEF w pliku zgłoszenia deklaruje nieprawidłową nazwę kodowania "
                    "znaków. " +
                        kSaveAgain + kUnchanged},
        // Lines are handled as bytes: UTF-16 would be cut apart at the wrong bytes.
        RefusalCase{"EncodingNotHandledAsBytes",
                    Entries("3.0", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"),
                    "Dokument LEF w pliku zgłoszenia jest w kodowaniu znaków UTF-16, którego "
                    "program nie obsługuje. Poproś organizatora zawodów o plik zgłoszenia w "
                    "kodowaniu UTF-8 albo Windows-1250." +
                        kUnchanged},
        RefusalCase{"EncodingNobodyKnows",
                    Entries("3.0", "<?xml version=\"1.0\" encoding=\"windows-1259\"?>"),
                    "Dokument LEF w pliku zgłoszenia jest w kodowaniu znaków windows-1259, którego "
                    "program nie obsługuje. Poproś organizatora zawodów o plik zgłoszenia w "
                    "kodowaniu UTF-8 albo Windows-1250." +
                        kUnchanged},
        RefusalCase{"ACharacterTheEntriesEncodingCannotHold", Entries(),
                    "Nie można przenieść danych klubu z bazy zawodników (kodowanie UTF-8) do pliku "
                    "zgłoszenia (kodowanie Windows-1250): Znaku „ñ” nie da się zapisać w kodowaniu "
                    "Windows-1250." +
                        kUnchanged,
                    Rewrite::Refused, "<CLUB name=\"Mu\xC3\xB1oz\"/>\r\n", kUtf8},
        // The entries document's own lines that are kept must balance, counted as its file
        // counts them; a quote that runs on is refused wherever it stands.
        RefusalCase{"UnbalancedAfterTheReplacedSection",
                    Doc("<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\na\r\nb\r\nc\r\n</MEET>\r\n<X>\r\n"),
                    Damaged("znacznik </LENEX> w wierszu 11 nie zamyka otwartego znacznika <X> z "
                            "wiersza 10")},
        RefusalCase{"UnbalancedLaidOutAnew",
                    "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\"><MEET><SESSIONS><SESSION/>"
                    "</SESSIONS></MEET><X></LENEX>\r\n",
                    Damaged("znacznik </LENEX> w wierszu 2 nie zamyka otwartego znacznika <X> z "
                            "wiersza 2")},
        RefusalCase{
            "QuoteThatRunsOnInTheReplacedSection",
            Doc("<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\n<CLUB name=O'Brien/>\r\n</MEET>\r\n"),
            Damaged("cudzysłów otwarty w wierszu 6 nie został zamknięty przed znakiem <")},
        RefusalCase{"WrongVersionOnLine2", Entries("1.0"), kWrongVersion, Rewrite::VersionFailure},
        // The root's start tag is tested, not line 2.
        RefusalCase{"WrongVersionBehindACommentOnLine2",
                    "<?xml version=\"1.0\"?>\r\n<!-- 3.0 -->\r\n<LENEX version=\"1.0\">\r\n" +
                        kOneMeet + "</LENEX>\r\n",
                    kWrongVersion, Rewrite::VersionFailure},
        RefusalCase{"WrongVersionOnTheRootLaidOutAnew",
                    "<?xml version=\"1.0\"?>\r\n<!-- 3.0 --><LENEX version=\"1.0\">\r\n" +
                        kOneMeet + "</LENEX>\r\n",
                    kWrongVersion, Rewrite::VersionFailure}),
    [](const auto& info) { return std::string(info.param.name); });

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
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(
      prompter, kEntriesFile, Doc(kOneMeet, c.declaration + "\r\n"), c.clubs, c.clubsEncoding);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, c.header +
                        "<LENEX version=\"3.0\">\r\n<MEET>\r\n<SESSIONS>\r\n</SESSIONS>\r\n" +
                        c.expectedClubs + "</MEET>\r\n</LENEX>\r\n");
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteEncoding,
    ::testing::Values(
        // The same encoding copies bytes as they are, even ones the encoding would not accept.
        EncodingCase{"SameEncodingCopiesBytes", kCp1250Declaration,
                     "<CLUB name=\"\xA3\xF3\x64\x9F \x81\"/>\r\n", "windows-1250", kHeader1250,
                     "<CLUB name=\"\xA3\xF3\x64\x9F \x81\"/>\r\n"},
        EncodingCase{"AliasesAreTheSameEncoding", "<?xml version=\"1.0\" encoding=\"cp1250\"?>",
                     "\xB9\r\n", "Windows-1250", kHeader1250, "\xB9\r\n"},
        EncodingCase{"Utf8CopiedAsIs", "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                     "\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n", "UTF-8", kHeaderUtf8,
                     "\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n"},
        EncodingCase{"Utf8ClubsInto1250Document", kCp1250Declaration,
                     "<CLUB name=\"\xC5\x81\xC3\xB3\x64\xC5\xBA \xC5\xBB\xC3\xB3\xC5\x82w\"/>\r\n",
                     "UTF-8", kHeader1250, "<CLUB name=\"\xA3\xF3\x64\x9F \xAF\xF3\xB3w\"/>\r\n"},
        EncodingCase{"Windows1250ClubsIntoUtf8Document", kUtf8Declaration,
                     "<CLUB name=\"\xA3\xF3\x64\x9F \xAF\xF3\xB3w\"/>\r\n", "Windows-1250",
                     kHeaderUtf8,
                     "<CLUB name=\"\xC5\x81\xC3\xB3\x64\xC5\xBA \xC5\xBB\xC3\xB3\xC5\x82w\"/>\r\n"},
        EncodingCase{"Latin2ClubsInto1250Document", kCp1250Declaration, "\xA1\xB1\xA6\xB6\r\n",
                     "ISO-8859-2", kHeader1250, "\xA5\xB9\x8C\x9C\r\n"},
        EncodingCase{"EmptyClubsNeedNoConversion", kCp1250Declaration, "", "", kHeader1250, ""},
        EncodingCase{"ByteOrderMarkMeansUtf8", "\xEF\xBB\xBF" + kCp1250Declaration, "\xA3\r\n",
                     "Windows-1250", kHeaderUtf8, "\xC5\x81\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// The rewrite of a document file: what it gives, what the user is told, the file afterwards.
// Before a new document is given, its tags must balance and nest.
struct FileCase {
  const char* name;
  std::optional<std::string> document;  // the file; none: there is no file
  Rewrite::Kind kind;
  std::string text;
  std::optional<std::string> after;  // the file afterwards; none: it is gone
  std::string message;               // shown with the stop icon, "@" standing for the path
};

class RewriteEntriesFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(RewriteEntriesFile, GivesTellsAndLeavesTheFile) {
  const FileCase& c = GetParam();
  testing::TempDir dir;
  const std::string path = dir.file("zawody.lef");
  if (c.document) testing::WriteBytes(path, *c.document);
  FakePrompter prompter;
  const Rewrite r = RewriteEntries(prompter, kEntriesFile, path, kClubs, kWindows1250);
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.text, c.text);
  std::string text = c.message;
  if (const size_t at = text.find('@'); at != std::string::npos) text.replace(at, 1, path);
  EXPECT_EQ(prompter.messages, text.empty() ? std::vector<testing::Shown>{}
                                            : std::vector<testing::Shown>{testing::Stop(text)});
  if (c.after)
    EXPECT_EQ(testing::ReadBytes(path), *c.after);
  else
    EXPECT_FALSE(std::filesystem::exists(testing::PathOf(path)));
}

const std::string kBrokenOldClub =
    Entries("3.0", kCp1250Declaration,
            "      <CLUBS>\r\n        <CLUB name=\"Stary\">\r\n      </CLUBS>\r\n");
const std::string kSessionEndMissing =
    testing::Lenex{kCp1250Declaration, "3.0", "<MEET name=\"Zawody\">", false,
                   "      <SESSIONS>\r\n        <SESSION number=\"1\">\r\n      </SESSIONS>\r\n"}
        .Text();
const std::string kHeadOnly = "<?xml version=\"1.0\"?>\r\n<LENEX version=\"3.0\">\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteEntriesFile,
    ::testing::Values(
        FileCase{"RewrittenLeavesTheDocumentInPlace", Entries(), Rewrite::Rewritten,
                 Rewritten("3.0", kClubs), Entries(), ""},
        // The paste removes the document, whatever the rewrite gave.
        FileCase{"VersionFailureLeavesTheDocument", Entries("1.0"), Rewrite::VersionFailure, "",
                 Entries("1.0"), kWrongVersion},
        FileCase{"RefusalKeepsTheDocument", kHeadOnly, Rewrite::Refused, "", kHeadOnly,
                 kNoSessions},
        FileCase{"DocumentThatCannotBeRead", std::nullopt, Rewrite::Failed, "", std::nullopt,
                 "Nie można odczytać dokumentu LEF z pliku zgłoszenia: @\r\n2 plik lub katalog nie "
                 "istnieje\r\nOperacja anulowana, plik zgłoszenia nie został zmieniony."},
        // What the paste replaces may be broken; what it keeps may not.
        FileCase{"BrokenOldClubsAreReplaced", kBrokenOldClub, Rewrite::Rewritten,
                 Rewritten("3.0", kClubs), kBrokenOldClub, ""},
        FileCase{"UnbalancedOutsideTheClubsIsRefused", kSessionEndMissing, Rewrite::Refused, "",
                 kSessionEndMissing,
                 Damaged("znacznik </SESSIONS> w wierszu 7 nie zamyka otwartego znacznika "
                         "<SESSION> z wiersza 6")}),
    [](const auto& info) { return std::string(info.param.name); });

class RewriteLayouts : public ::testing::TestWithParam<testing::layouts::Layout> {};

// Whatever the producer's layout, the rewritten document is the one-element-per-line form with
// the clubs section replaced.
TEST_P(RewriteLayouts, GiveTheOneElementPerLineFormWithTheClubsReplaced) {
  FakePrompter prompter;
  const Rewrite r = RewriteEntriesText(prompter, kEntriesFile, GetParam().entries,
                                       testing::layouts::kDatabaseClubs, kUtf8);
  EXPECT_EQ(r.kind, Rewrite::Rewritten);
  EXPECT_EQ(r.text, GetParam().pasted);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Producers, RewriteLayouts,
                         ::testing::ValuesIn(testing::layouts::Layouts()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rostrel
