// Hostile LEF documents inside good archives, pasted into as the entries file, and hostile clubs
// sections pasted: each paste ends in the outcome the user is meant to see, and a refused one
// leaves the entries file byte for byte as it was. How the database's reading keeps them is a
// table in athletes/read_clubs_test.cpp.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "support/actions.h"
#include "support/documents.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

using Change = std::function<std::string(const std::string&)>;

std::string Apply(const Change& change, const std::string& text) {
  return change ? change(text) : text;
}

// Letters in no pattern, which pack no better than real text: a line of one letter repeated would
// be refused as an archive bomb before any line was read.
const std::string kTenMegabytes = [] {
  std::minstd_rand random(1);
  std::string letters(10 << 20, ' ');
  for (char& c : letters) c = static_cast<char>('a' + random() % 26);
  return letters;
}();

const Change kNulInName = [](const std::string& d) {
  return ReplaceAll(d, "Zofia\"", std::string("Zo\0fia\"", 7));
};
const Change kNulAfterSessions = [](const std::string& d) {
  return ReplaceAll(d, "<SESSIONS>", std::string("<SESSIONS>\0\0", 12));
};
const Change kLongConstructor = [](const std::string& d) {
  return ReplaceAll(d, "<CONSTRUCTOR ", "<CONSTRUCTOR x=\"" + kTenMegabytes + "\" ");
};

// The sample entries document pasted into while tab-indented: its own lines keep their tabs, the
// sample's clubs section comes as the database has it.
std::string TabIndentedAroundSampleClubs(const std::string&) {
  using namespace samples;
  return Declaration(kUtf8) + TabIndented(Join(kEntriesUpToSessionsEnd)) +
         Join(DatabaseLines({Kept, KeptAthlete})) + TabIndented(Join(kEntriesFromMeetEnd));
}

const std::string kRefusalEnd = " Operacja anulowana, plik zgłoszenia nie został zmieniony.";

struct PasteCase {
  std::string name;
  Change entries;       // of the sample entries document
  std::string refusal;  // the refusal shown, or "" when the paste goes through
  Change pasted = {};   // how it shows in the sample's pasted entries document (none: not)
  Change clubs = {};    // of the sample's clubs section, pasted (none: as it stands)
  std::string clubsEncoding = "UTF-8";
};

std::ostream& operator<<(std::ostream& os, const PasteCase& c) { return os << c.name; }

std::vector<PasteCase> Cases() {
  const auto same = [](const std::string& d) { return d; };
  return {
      // NUL bytes in the entries document and in the clubs section stay as they stand.
      {"NulBytes", [](const std::string& d) { return kNulAfterSessions(kNulInName(d)); }, "",
       [](const std::string& d) { return kNulAfterSessions(kNulInName(d)); }, kNulInName},
      {"OneLineOfTenMegabytes", [](const std::string&) { return kTenMegabytes; },
       "Dokument LEF w pliku zgłoszenia nie ma w pierwszym wierszu deklaracji XML (<?xml ... ?>). "
       "Zapisz ten plik ponownie w programie, w którym go utworzono, albo poproś organizatora "
       "zawodów o nowy plik zgłoszenia." +
           kRefusalEnd},
      {"TenMegabyteLineInside", kLongConstructor, "", kLongConstructor},
      {"LinesEndedByLoneCr", [](const std::string& d) { return ReplaceAll(d, "\r\n", "\r"); }, ""},
      {"LinesEndedByLoneLf", [](const std::string& d) { return ReplaceAll(d, "\r\n", "\n"); }, ""},
      // Tabs count as indentation as blanks do; every line is kept as it stands.
      {"TabIndented", TabIndented, "", TabIndentedAroundSampleClubs},
      {"Empty", [](const std::string&) { return std::string(); },
       "Dokument LEF w pliku zgłoszenia jest pusty." + kRefusalEnd},
      {"ByteOrderMark", [](const std::string& d) { return "\xEF\xBB\xBF" + d; }, ""},
      // A clubs section from a database that declares UTF-16 while written in single bytes
      // cannot be converted faithfully (opening such a database is refused, too).
      {"DatabaseDeclaringUtf16",
       same,
       "Baza zawodników jest w kodowaniu znaków UTF-16, którego program nie obsługuje. Zapisz "
       "bazę w programie, w którym ją utworzono, w kodowaniu UTF-8 albo Windows-1250 i otwórz "
       "ją tutaj jeszcze raz." +
           kRefusalEnd,
       {},
       {},
       "UTF-16"},
  };
}

class HostileDocument : public ::testing::TestWithParam<PasteCase> {};

TEST_P(HostileDocument, PastedIntoAsTheEntriesFile) {
  const PasteCase& c = GetParam();
  TempDir root;
  const std::string chosen = root.file("zgloszenie.lxf");
  const std::string archive = BuildZip("zawody.lef", c.entries(EntriesDocument()));
  WriteBytes(chosen, archive);

  const PasteRun run =
      PasteThrough(chosen, {Apply(c.clubs, SampleClubs().text), c.clubsEncoding, {}});

  const Tree after = Snapshot(root.fs());
  EXPECT_EQ(Names(after), std::vector<std::string>{"zgloszenie.lxf"});
  if (!c.refusal.empty()) {
    EXPECT_FALSE(run.replaced);
    EXPECT_EQ(run.shown, (std::vector<Shown>{Confirmation(), Stop(c.refusal)}));
    EXPECT_EQ(after.at("zgloszenie.lxf"), archive);
    return;
  }
  EXPECT_TRUE(run.replaced);
  EXPECT_EQ(run.shown, (std::vector<Shown>{Confirmation(), PasteDone(chosen)}));
  const ArchiveContents now = ReadArchive(chosen);
  ASSERT_TRUE(now.whole) << now.error;
  ASSERT_EQ(now.order, std::vector<std::string>{"zawody.lef"});
  EXPECT_TRUE(now.members.at("zawody.lef") == Apply(c.pasted, SamplePasted()))
      << "the pasted document differs";  // up to 10 MB: EXPECT_EQ would print it all
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileDocument, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace rostrel::testing
