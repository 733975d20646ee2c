// Hostile LEF documents inside good archives, opened as the database and pasted into as the
// entries file: each ends in the outcome the user is meant to see, and a refused paste leaves
// the entries file byte for byte as it was.

#include <gtest/gtest.h>

#include <functional>

#include "archive/unpack_lxf.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// Indentation by tabs instead of blanks, one tab for every two blanks.
std::string TabIndented(const std::string& document) {
  std::string out;
  bool lineStart = true;
  for (size_t i = 0; i < document.size(); ++i) {
    if (lineStart && document[i] == ' ' && i + 1 < document.size() && document[i + 1] == ' ') {
      out += '\t';
      ++i;
      continue;
    }
    lineStart = document[i] == '\n' || (lineStart && document[i] == '\t');
    out += document[i];
  }
  return out;
}

const std::string kTenMegabytes(10 << 20, 'x');

// The sample entries document pasted into while tab-indented: its own lines keep their tabs, the
// sample's clubs section comes as the database has it.
std::string TabIndentedAroundSampleClubs(const std::string&) {
  using namespace samples;
  return Declaration(kUtf8) + TabIndented(Join(kEntriesUpToSessionsEnd)) +
         Join(DatabaseLines({Kept, KeptAthlete})) + TabIndented(Join(kEntriesFromMeetEnd));
}

constexpr const char* kRefusalEnd = " Operacja anulowana, plik zgłoszenia nie został zmieniony.";
const std::string kNoSessions =
    std::string(
        "W dokumencie LEF pliku zgłoszenia nie ma wiersza </SESSIONS>, więc nie ma "
        "miejsca, w które można wkleić zawodników.") +
    kRefusalEnd;
const std::string kFirstLineHoldsMore =
    std::string(
        "Pierwszy wiersz dokumentu LEF w pliku zgłoszenia zawiera coś więcej niż "
        "deklarację XML, a zastąpienie go usunęłoby tę treść z dokumentu.") +
    kRefusalEnd;
const std::string kEmptyDocument =
    std::string("Dokument LEF w pliku zgłoszenia jest pusty.") + kRefusalEnd;

using Change = std::function<std::string(const std::string&)>;

struct DocumentCase {
  std::string name;
  Change transform;  // of a sample document
  // As the database: what the open action ends in, and the message it shows ("" for none).
  OpenOutcome::Kind openKind;
  std::string openMessage;
  // As the entries file: the refusal shown, or "" when the paste goes through.
  std::string pasteRefusal;
  // How the transform shows in the sample's clubs section once read, and in the sample's
  // pasted entries document (none: they come out as the written-out samples).
  Change clubsChange = {};
  Change pastedChange = {};
};

std::string Apply(const Change& change, const std::string& text) {
  return change ? change(text) : text;
}

const Change kNulInName = [](const std::string& d) {
  return ReplaceAll(d, "Zofia\"", std::string("Zo\0fia\"", 7));
};
const Change kNulAfterSessions = [](const std::string& d) {
  return ReplaceAll(d, "<SESSIONS>", std::string("<SESSIONS>\0\0", 12));
};
const Change kLongConstructor = [](const std::string& d) {
  return ReplaceAll(d, "<CONSTRUCTOR ", "<CONSTRUCTOR x=\"" + kTenMegabytes + "\" ");
};

std::ostream& operator<<(std::ostream& os, const DocumentCase& c) { return os << c.name; }

std::vector<DocumentCase> Cases() {
  return {
      {"NulBytes", [](const std::string& d) { return kNulAfterSessions(kNulInName(d)); },
       OpenOutcome::AthletesFound, "", "", kNulInName, kNulAfterSessions},
      {"OneLineOfTenMegabytes", [](const std::string&) { return kTenMegabytes; },
       OpenOutcome::NoAthletes, kNoAthletesMessage, kFirstLineHoldsMore},
      {"TenMegabyteLineInside",
       kLongConstructor,
       OpenOutcome::AthletesFound,
       "",
       "",
       {},
       kLongConstructor},
      // One long line with its tags parted by CRs: laid out anew, with the very indentation the
      // sample has.
      {"LinesEndedByLoneCr", [](const std::string& d) { return ReplaceAll(d, "\r\n", "\r"); },
       OpenOutcome::AthletesFound, "", ""},
      {"LinesEndedByLoneLf", [](const std::string& d) { return ReplaceAll(d, "\r\n", "\n"); },
       OpenOutcome::AthletesFound, "", ""},
      // Tabs count as indentation as blanks do; every line is kept as it stands.
      {"TabIndented", TabIndented, OpenOutcome::AthletesFound, "", "", TabIndented,
       TabIndentedAroundSampleClubs},
      {"Empty", [](const std::string&) { return std::string(); }, OpenOutcome::NoAthletes,
       kNoAthletesMessage, kEmptyDocument},
      {"ByteOrderMark", [](const std::string& d) { return "\xEF\xBB\xBF" + d; },
       OpenOutcome::AthletesFound, "", ""},
  };
}

class HostileDocument : public ::testing::Test,
                        public ::testing::WithParamInterface<DocumentCase> {};

TEST_P(HostileDocument, OpenedAsTheDatabase) {
  const DocumentCase& c = GetParam();
  TempDir root;
  const std::string chosen = root.file("baza.lxf");
  const std::string document = c.transform(DatabaseDocument());
  const std::string archive = BuildZip("baza.lef", document);
  WriteBytes(chosen, archive);

  const OpenRun run = OpenThrough(chosen);

  EXPECT_EQ(run.outcome.kind, c.openKind);
  EXPECT_EQ(run.shown,
            c.openMessage.empty() ? std::vector<Shown>{} : std::vector<Shown>{Stop(c.openMessage)});
  // The clubs section is kept exactly as the document has it, whatever bytes it holds.
  const bool found = c.openKind == OpenOutcome::AthletesFound;
  EXPECT_EQ(run.outcome.clubsText, found ? Apply(c.clubsChange, SampleClubs().text) : "");
  if (c.openKind == OpenOutcome::AthletesFound) {
    EXPECT_EQ(run.outcome.displayLines.size(), 8u);
    EXPECT_EQ(run.outcome.clubsEncoding, "UTF-8");
  }
  // The unpacked document is gone and the database is untouched.
  EXPECT_EQ(Snapshot(root.fs()), (Tree{{"baza.lxf", archive}}));
}

TEST_P(HostileDocument, PastedIntoAsTheEntriesFile) {
  const DocumentCase& c = GetParam();
  TempDir root;
  const std::string chosen = root.file("zgloszenie.lxf");
  const std::string document = c.transform(EntriesDocument());
  const std::string archive = BuildZip("zawody.lef", document);
  WriteBytes(chosen, archive);
  const Clubs clubs = SampleClubs();

  const PasteRun run = PasteThrough(chosen, clubs);

  const Tree after = Snapshot(root.fs());
  EXPECT_EQ(Names(after), std::vector<std::string>{"zgloszenie.lxf"});
  if (!c.pasteRefusal.empty()) {
    EXPECT_FALSE(run.replaced);
    EXPECT_EQ(run.shown, (std::vector<Shown>{Confirmation(), Stop(c.pasteRefusal)}));
    EXPECT_EQ(after.at("zgloszenie.lxf"), archive);
    return;
  }
  EXPECT_TRUE(run.replaced);
  EXPECT_EQ(run.shown, (std::vector<Shown>{Confirmation(), PasteDone(chosen)}));
  const ArchiveContents now = ReadArchive(chosen);
  ASSERT_TRUE(now.whole) << now.error;
  ASSERT_EQ(now.order, std::vector<std::string>{"zawody.lef"});
  const std::string& pasted = now.members.at("zawody.lef");
  EXPECT_EQ(pasted, Apply(c.pastedChange, SamplePasted()));
  // What the program wrote: its declaration, the clubs section once, no old club, CR LF only.
  EXPECT_TRUE(pasted.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
  EXPECT_NE(pasted.find(clubs.text), std::string::npos);
  EXPECT_EQ(ReplaceAll(pasted, "\r\n", "").find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileDocument, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// NUL bytes in the database reach the entries file exactly as they stand.
TEST(HostileDocuments, NulBytesInTheClubsSectionArePastedAsTheyAre) {
  TempDir root;
  const Clubs clubs = {kNulInName(SampleClubs().text), "UTF-8"};
  ASSERT_NE(clubs.text.find(std::string("Zo\0fia", 6)), std::string::npos);
  WriteBytes(root.file("zgloszenie.lxf"), BuildZip("zawody.lef", EntriesDocument()));

  const PasteRun run = PasteThrough(root.file("zgloszenie.lxf"), clubs);

  ASSERT_TRUE(run.replaced);
  const ArchiveContents now = ReadArchive(root.file("zgloszenie.lxf"));
  ASSERT_TRUE(now.whole);
  EXPECT_NE(now.members.at("zawody.lef").find(clubs.text), std::string::npos);
}

// A database that declares UTF-16 while written in single bytes can be opened (its names come
// out garbled), but nothing is pasted from it: its clubs section cannot be converted faithfully.
TEST(HostileDocuments, DatabaseDeclaringUtf16IsNotPasted) {
  TempDir root;
  const std::string database =
      ReplaceAll(DatabaseDocument(), "encoding=\"UTF-8\"", "encoding=\"UTF-16\"");
  WriteBytes(root.file("baza.lxf"), BuildZip("baza.lef", database));
  const OpenRun opened = OpenThrough(root.file("baza.lxf"));
  ASSERT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound);
  EXPECT_EQ(opened.outcome.clubsEncoding, "UTF-16");

  WriteBytes(root.file("zgloszenie.lxf"), BuildZip("zawody.lef", EntriesDocument()));
  const std::string before = ReadBytes(root.file("zgloszenie.lxf"));
  const PasteRun run = PasteThrough(root.file("zgloszenie.lxf"),
                                    {opened.outcome.clubsText, opened.outcome.clubsEncoding});
  EXPECT_FALSE(run.replaced);
  EXPECT_EQ(run.shown, (std::vector<Shown>{
                           Confirmation(),
                           Stop("Baza zawodników jest w kodowaniu znaków UTF-16, którego program "
                                "nie obsługuje." +
                                std::string(kRefusalEnd))}));
  EXPECT_EQ(ReadBytes(root.file("zgloszenie.lxf")), before);
}

}  // namespace
}  // namespace rostrel::testing
