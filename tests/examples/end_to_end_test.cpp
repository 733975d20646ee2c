// The sample files from examples/ taken through the whole core: the database is unpacked and
// read, its athletes listed, and its clubs section pasted into the entries file, which is then
// opened again to find the expected document inside it.

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/modlxf.h"
#include "archive/unpack.h"
#include "athletes/open_action.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "common/fileops.h"
#include "entries/paste_action.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

namespace rostrel {
namespace {

using testing::FakePrompter;
using testing::TempDir;
namespace fs = std::filesystem;

// The database document from line 2 on, as examples/make_examples.py writes it, each line
// marked with what reading its clubs section does with it.
enum Fate { Dropped, Kept, KeptAthlete };
struct DatabaseLine {
  Fate fate;
  std::string_view text;
};
// clang-format off
constexpr DatabaseLine kDatabase[] = {
    {Dropped, R"(<LENEX version="3.0">)"},
    {Dropped, R"(  <CONSTRUCTOR name="Rostrel - pliki przykładowe" registration="Rostrel" version="3.01">)"},
    {Dropped, R"(    <CONTACT name="Rostrel" email="kontakt@rostrel.pl" />)"},
    {Dropped, R"(  </CONSTRUCTOR>)"},
    {Dropped, R"(  <MEETS>)"},
    {Dropped, R"(    <MEET name="Baza zawodników" city="Łódź" nation="POL">)"},
    {Dropped, R"(      <SESSIONS>)"},
    {Dropped, R"(      </SESSIONS>)"},
    {Kept, R"(      <CLUBS>)"},
    {Kept, R"(        <CLUB name="UKS Delfin Łódź" shortname="Delfin Łódź" code="DELFIN" nation="POL" type="CLUB">)"},
    {Kept, R"(          <CONTACT name="Zofia Żółkiewska" street="ul. Piotrkowska 104, lok. 5" zip="90-001" city="Łódź" email="delfin@example.pl" />)"},
    {Kept, R"(          <ATHLETES>)"},
    {KeptAthlete, R"(            <ATHLETE athleteid="101" lastname="Żółkiewska" firstname="Zofia" birthdate="2009-03-14" gender="F" license="100101">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="1" entrytime="00:01:04.80" />)"},
    {Dropped, R"(                <ENTRY eventid="3" entrytime="00:02:38.15" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {KeptAthlete, R"(            <ATHLETE lastname="Świątek" firstname="Łukasz" athleteid="102" gender="M" birthdate="2008-11-02" license="">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="2" entrytime="00:00:59.31" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {KeptAthlete, R"(            <ATHLETE birthdate="2008-07-21" gender="M" license="100103" firstname="Grzegorz" lastname="Brzęczyszczykiewicz" athleteid="103">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="4" entrytime="00:02:21.09" />)"},
    {Dropped, R"(                <ENTRY eventid="6" entrytime="00:01:07.44" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {KeptAthlete, R"(            <ATHLETE athleteid="104" lastname.en="Sliwinska" lastname="Śliwińska" firstname="Ewa" gender="F" birthdate="2009-09-05" license="100104">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="5" entrytime="00:01:12.70" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {KeptAthlete, R"(            <ATHLETE athleteid="105" gender="F" lastname="Kowalczyk" firstname="Małgorzata &quot;Gosia&quot;" birthdate="2010-02-28" license="100105">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="1" entrytime="00:01:09.02" />)"},
    {Dropped, R"(                <ENTRY eventid="5" entrytime="00:01:15.66" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {Kept, R"(          </ATHLETES>)"},
    {Kept, R"(        </CLUB>)"},
    {Kept, R"(        <CLUB name="MKS Żak Gdańsk" shortname="Żak Gdańsk" code="ZAK" nation="POL" type="CLUB">)"},
    {Kept, R"(          <CONTACT name="Sekretariat MKS Żak &amp; Rada Rodziców" city="Gdańsk" zip="80-001" email="zak@example.pl" />)"},
    {Kept, R"(          <ATHLETES>)"},
    {KeptAthlete, R"(            <ATHLETE athleteid="201" lastname="Kędzierski" firstname="Mściwój" birthdate="2010-06-30" gender="M" license="200201">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="2" entrytime="00:01:02.18" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {KeptAthlete, R"(            <ATHLETE firstname="Jadwiga" lastname="Wróblewska" birthdate="2011-01-09" athleteid="202" gender="F" license="200202">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="3" entrytime="00:02:49.90" />)"},
    {Dropped, R"(                <ENTRY eventid="5" entrytime="00:01:19.25" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {KeptAthlete, R"(            <ATHLETE athleteid="203" license="200203" gender="M" birthdate="2007-12-24" firstname="Ścibor" lastname="Łęcki">)"},
    {Dropped, R"(              <ENTRIES>)"},
    {Dropped, R"(                <ENTRY eventid="6" entrytime="00:01:01.37" />)"},
    {Dropped, R"(              </ENTRIES>)"},
    {Kept, R"(            </ATHLETE>)"},
    {Kept, R"(          </ATHLETES>)"},
    {Kept, R"(        </CLUB>)"},
    {Kept, R"(      </CLUBS>)"},
    {Dropped, R"(    </MEET>)"},
    {Dropped, R"(  </MEETS>)"},
    {Dropped, R"(</LENEX>)"},
};
// clang-format on

const std::vector<std::string> kDisplayLines = {
    "101 Żółkiewska Zofia 2009-03-14",
    "102 Świątek Łukasz 2008-11-02",
    "103 Brzęczyszczykiewicz Grzegorz 2008-07-21",
    "104 Śliwińska Ewa 2009-09-05",
    "105 Kowalczyk Małgorzata \"Gosia\" 2010-02-28",
    "201 Kędzierski Mściwój 2010-06-30",
    "202 Wróblewska Jadwiga 2011-01-09",
    "203 Łęcki Ścibor 2007-12-24",
};

// The entries document from line 2 on, in three parts: what pasting keeps before the clubs
// section, the old clubs section that it replaces, and what it keeps after.
const std::vector<std::string_view> kEntriesUpToSessionsEnd = {
    R"(<LENEX version="3.0">)",
    R"(  <CONSTRUCTOR name="Rostrel - pliki przykładowe" registration="Rostrel" version="3.01">)",
    R"(    <CONTACT name="Rostrel" email="kontakt@rostrel.pl" />)",
    R"(  </CONSTRUCTOR>)",
    R"(  <MEETS>)",
    R"(    <MEET name="Zimowe Zawody Pływackie o Puchar Łodzi" city="Łódź" nation="POL" course="LCM" deadline="2027-01-15" timing="AUTOMATIC">)",
    R"(      <POOL name="Pływalnia Wodny Świat" lanemin="1" lanemax="8" />)",
    R"(      <SESSIONS>)",
    R"(        <SESSION number="1" date="2027-01-23" daytime="09:00" name="Blok I - sobota rano">)",
    R"(          <EVENTS>)",
    R"(            <EVENT eventid="1" number="1" gender="F" round="TIM">)",
    R"(              <SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />)",
    R"(            </EVENT>)",
    R"(            <EVENT eventid="2" number="2" gender="M" round="TIM">)",
    R"(              <SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />)",
    R"(            </EVENT>)",
    R"(            <EVENT eventid="3" number="3" gender="F" round="TIM">)",
    R"(              <SWIMSTYLE distance="200" relaycount="1" stroke="MEDLEY" />)",
    R"(            </EVENT>)",
    R"(            <EVENT eventid="4" number="4" gender="M" round="TIM">)",
    R"(              <SWIMSTYLE distance="200" relaycount="1" stroke="MEDLEY" />)",
    R"(            </EVENT>)",
    R"(          </EVENTS>)",
    R"(        </SESSION>)",
    R"(        <SESSION number="2" date="2027-01-23" daytime="15:30" name="Blok II - sobota po południu">)",
    R"(          <EVENTS>)",
    R"(            <EVENT eventid="5" number="5" gender="F" round="TIM">)",
    R"(              <SWIMSTYLE distance="100" relaycount="1" stroke="BACK" />)",
    R"(            </EVENT>)",
    R"(            <EVENT eventid="6" number="6" gender="M" round="TIM">)",
    R"(              <SWIMSTYLE distance="100" relaycount="1" stroke="BACK" />)",
    R"(            </EVENT>)",
    R"(          </EVENTS>)",
    R"(        </SESSION>)",
    R"(      </SESSIONS>)",
};
const std::vector<std::string_view> kEntriesOldClubs = {
    R"(      <CLUBS>)",
    R"(        <CLUB name="Nazwa klubu" nation="POL" type="CLUB">)",
    R"(          <ATHLETES>)",
    R"(            <ATHLETE athleteid="1" lastname="Nazwisko" firstname="Imię" birthdate="2000-01-01" gender="M" />)",
    R"(          </ATHLETES>)",
    R"(        </CLUB>)",
    R"(      </CLUBS>)",
};
const std::vector<std::string_view> kEntriesFromMeetEnd = {
    R"(    </MEET>)",
    R"(  </MEETS>)",
    R"(</LENEX>)",
};

struct Encoding {
  const char* suffix;    // in the sample file names
  const char* declared;  // in the documents' XML declarations
};
void PrintTo(const Encoding& e, std::ostream* os) { *os << e.suffix; }

constexpr Encoding kCp1250{"cp1250", "Windows-1250"};
constexpr Encoding kUtf8{"utf8", "UTF-8"};

// The sample texts hold only ASCII and Polish letters, so this table is all the Windows-1250
// the tests need.
std::string InEncoding(std::string_view utf8, const Encoding& encoding) {
  if (std::string_view(encoding.suffix) == kUtf8.suffix) return std::string(utf8);
  static constexpr std::pair<std::string_view, char> kPolish[] = {
      {"ą", '\xB9'}, {"ć", '\xE6'}, {"ę", '\xEA'}, {"ł", '\xB3'}, {"ń", '\xF1'}, {"ó", '\xF3'},
      {"ś", '\x9C'}, {"ź", '\x9F'}, {"ż", '\xBF'}, {"Ą", '\xA5'}, {"Ć", '\xC6'}, {"Ę", '\xCA'},
      {"Ł", '\xA3'}, {"Ń", '\xD1'}, {"Ó", '\xD3'}, {"Ś", '\x8C'}, {"Ź", '\x8F'}, {"Ż", '\xAF'},
  };
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out += utf8[i++];
      continue;
    }
    const auto* letter = std::find_if(std::begin(kPolish), std::end(kPolish), [&](const auto& p) {
      return utf8.substr(i, p.first.size()) == p.first;
    });
    if (letter == std::end(kPolish)) {
      ADD_FAILURE() << "no Windows-1250 form in the test's table at byte " << i << " of " << utf8;
      return out;
    }
    out += letter->second;
    i += letter->first.size();
  }
  return out;
}

std::string Declaration(const Encoding& encoding) {
  return std::string("<?xml version=\"1.0\" encoding=\"") + encoding.declared + "\"?>\r\n";
}

template <class Lines>
std::string Join(const Lines& lines) {
  std::string text;
  for (std::string_view line : lines) (text += line) += "\r\n";
  return text;
}

std::vector<std::string_view> DatabaseLines(std::initializer_list<Fate> fates) {
  std::vector<std::string_view> lines;
  for (const DatabaseLine& line : kDatabase) {
    if (std::find(fates.begin(), fates.end(), line.fate) != fates.end()) lines.push_back(line.text);
  }
  return lines;
}

std::string DatabaseDocument(const Encoding& e) {
  return InEncoding(Declaration(e) + Join(DatabaseLines({Dropped, Kept, KeptAthlete})), e);
}
std::string ClubsText(const Encoding& e) {
  return InEncoding(Join(DatabaseLines({Kept, KeptAthlete})), e);
}
std::vector<std::string> AthleteLines(const Encoding& e) {
  std::vector<std::string> lines;
  for (std::string_view line : DatabaseLines({KeptAthlete})) lines.push_back(InEncoding(line, e));
  return lines;
}

std::string EntriesDocument(const Encoding& e) {
  return InEncoding(Declaration(e) + Join(kEntriesUpToSessionsEnd) + Join(kEntriesOldClubs) +
                        Join(kEntriesFromMeetEnd),
                    e);
}

// The entries document after pasting the database's clubs section into it.
std::string PastedDocument(const Encoding& e) {
  return InEncoding(Declaration(e) + Join(kEntriesUpToSessionsEnd) +
                        Join(DatabaseLines({Kept, KeptAthlete})) + Join(kEntriesFromMeetEnd),
                    e);
}

std::string SamplePath(const std::string& name) {
  return std::string(ROSTREL_EXAMPLES_DIR) + "/" + name;
}
std::string DatabaseName(const Encoding& e) { return std::string("baza-") + e.suffix + ".lxf"; }
std::string EntriesName(const Encoding& e) {
  return std::string("zgloszenie-") + e.suffix + ".lxf";
}

struct Member {
  std::string name;
  std::string bytes;
  bool operator==(const Member&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Member& m) {
  return os << m.name << " (" << m.bytes.size() << " bytes)";
}

std::vector<Member> OnlyMember(std::string name, std::string bytes) {
  return {Member{std::move(name), std::move(bytes)}};
}

// Every member of a ZIP archive, read with libzip directly.
std::vector<Member> ReadArchive(const std::string& path) {
  int error = 0;
  std::unique_ptr<zip_t, decltype(&zip_discard)> archive(
      zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error), &zip_discard);
  if (!archive) {
    ADD_FAILURE() << "libzip cannot open " << path << ": error " << error;
    return {};
  }
  std::vector<Member> members;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(
        zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0), &zip_fclose);
    if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !file) {
      ADD_FAILURE() << "libzip cannot read member " << i << " of " << path;
      return members;
    }
    Member member{stat.name, std::string(static_cast<size_t>(stat.size), '\0')};
    if (zip_fread(file.get(), member.bytes.data(), stat.size) !=
        static_cast<zip_int64_t>(stat.size)) {
      ADD_FAILURE() << "short read of " << stat.name << " in " << path;
    }
    members.push_back(std::move(member));
  }
  return members;
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  FileError err;
  EXPECT_TRUE(fileops::ReadFile(path, bytes, err)) << path << ": " << Describe(err);
  return bytes;
}

// The names in a directory, sorted: what a user would see there.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(fileops::FsPath(dir)))
    names.push_back(fileops::Utf8(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// The sample files hold the documents that the tests below expect; if this fails, the samples
// and the test have drifted apart, not the core.
class SampleFiles : public ::testing::TestWithParam<Encoding> {};

TEST_P(SampleFiles, HoldTheDocumentsTheTestsExpect) {
  const Encoding& e = GetParam();
  EXPECT_EQ(ReadArchive(SamplePath(DatabaseName(e))), OnlyMember("baza.lef", DatabaseDocument(e)));
  EXPECT_EQ(ReadArchive(SamplePath(EntriesName(e))), OnlyMember("zawody.lef", EntriesDocument(e)));
}

INSTANTIATE_TEST_SUITE_P(Encodings, SampleFiles, ::testing::Values(kCp1250, kUtf8),
                         [](const auto& info) { return std::string(info.param.suffix); });

struct Pair {
  Encoding database;
  Encoding entries;
};
void PrintTo(const Pair& p, std::ostream* os) {
  *os << p.database.suffix << " database, " << p.entries.suffix << " entries file";
}

// Copies the chosen database and entries file into folders of their own, with Polish letters
// and blanks in the folder names as users have them.
class EndToEnd : public ::testing::TestWithParam<Pair> {
 protected:
  void SetUp() override {
    savedPause_ = ShellZipPause();
    SetShellZipPause(std::chrono::milliseconds(0));
    fileops::ResetFaults();
    dbDir_ = temp_.path() + "baza zawodników/";
    entriesDir_ = temp_.path() + "zgłoszenie na zawody/";
    fs::create_directory(fileops::FsPath(dbDir_));
    fs::create_directory(fileops::FsPath(entriesDir_));
    dbFile_ = dbDir_ + DatabaseName(GetParam().database);
    entriesFile_ = entriesDir_ + EntriesName(GetParam().entries);
    fs::copy_file(fileops::FsPath(SamplePath(DatabaseName(GetParam().database))),
                  fileops::FsPath(dbFile_));
    fs::copy_file(fileops::FsPath(SamplePath(EntriesName(GetParam().entries))),
                  fileops::FsPath(entriesFile_));
  }
  void TearDown() override { SetShellZipPause(savedPause_); }

  // Pastes into the entries file and checks the prompts, the folder and the new archive.
  void PasteAndCheck(const std::string& clubsText, const std::string& clubsEncoding) {
    FakePrompter prompter;
    prompter.picks = {entriesFile_};
    FileDialogSettings comIN;
    EXPECT_TRUE(PasteEntries(prompter, comIN, dbFile_, clubsText, clubsEncoding));

    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, kConfirmText);
    EXPECT_EQ(prompter.messages[0].title, kConfirmTitle);
    EXPECT_EQ(prompter.messages[0].icon, Icon::None);
    EXPECT_EQ(prompter.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(prompter.messages[1].text, kPasteDoneMessage + entriesFile_);
    EXPECT_EQ(prompter.messages[1].title, kAppTitle);
    EXPECT_EQ(prompter.messages[1].icon, Icon::Information);
    EXPECT_EQ(prompter.messages[1].buttons, Buttons::Ok);

    // No unpacked document, no ".zip" copy and no ".ZIP" archive is left behind.
    EXPECT_EQ(Listing(entriesDir_), std::vector<std::string>{EntriesName(GetParam().entries)});
    EXPECT_EQ(ReadArchive(entriesFile_),
              OnlyMember("zawody.lef", PastedDocument(GetParam().entries)));
  }

  void ExpectDatabaseUntouched() {
    EXPECT_EQ(Listing(dbDir_), std::vector<std::string>{DatabaseName(GetParam().database)});
    EXPECT_EQ(ReadBytes(dbFile_), ReadBytes(SamplePath(DatabaseName(GetParam().database))));
  }

  TempDir temp_{"rostrel-examples"};
  std::string dbDir_, entriesDir_, dbFile_, entriesFile_;
  std::chrono::milliseconds savedPause_{};
};

TEST_P(EndToEnd, ReadsTheDatabaseAndPastesItsClubsIntoTheEntriesFile) {
  const Encoding& db = GetParam().database;
  FakePrompter prompter;

  ASSERT_TRUE(DirectoryPreCheck(prompter, dbFile_));
  UnpackedFiles files;
  const UnpackResult unpacked = UnpackLxf(prompter, dbFile_, files);
  ASSERT_EQ(unpacked.kind, UnpackResult::DocumentFound);
  EXPECT_EQ(unpacked.documentPath, dbDir_ + "baza.lef");

  const ClubsReading reading = ReadClubs(prompter, unpacked.documentPath);
  ASSERT_EQ(reading.kind, ClubsReading::Read);
  EXPECT_EQ(reading.clubsText, ClubsText(db));
  EXPECT_EQ(reading.encoding, db.declared);
  EXPECT_EQ(reading.athleteLines, AthleteLines(db));
  EXPECT_EQ(ParseAthletes(reading.athleteLines, reading.encoding), kDisplayLines);
  EXPECT_EQ(prompter.messages.size(), 0u);
  ExpectDatabaseUntouched();

  PasteAndCheck(reading.clubsText, reading.encoding);
  // A second paste replaces the clubs section that the first one put in; nothing is doubled.
  PasteAndCheck(reading.clubsText, reading.encoding);
  ExpectDatabaseUntouched();
}

// The same through the two actions as the window calls them, sharing one dialog.
TEST_P(EndToEnd, OpenThenPasteAsTheWindowDoes) {
  FakePrompter prompter;
  prompter.picks = {dbFile_};
  FileDialogSettings comIN;
  const OpenOutcome opened = OpenDatabase(prompter, comIN);
  ASSERT_EQ(opened.kind, OpenOutcome::AthletesFound);
  EXPECT_EQ(opened.dbFile, dbFile_);
  EXPECT_TRUE(opened.clubsChanged);
  EXPECT_EQ(opened.clubsText, ClubsText(GetParam().database));
  EXPECT_EQ(opened.displayLines, kDisplayLines);
  EXPECT_EQ(prompter.messages.size(), 0u);
  ExpectDatabaseUntouched();

  PasteAndCheck(opened.clubsText, opened.clubsEncoding);
}

INSTANTIATE_TEST_SUITE_P(Samples, EndToEnd,
                         ::testing::Values(Pair{kCp1250, kCp1250}, Pair{kUtf8, kUtf8},
                                           Pair{kCp1250, kUtf8}, Pair{kUtf8, kCp1250}),
                         [](const auto& info) {
                           return std::string(info.param.database.suffix) + "_into_" +
                                  info.param.entries.suffix;
                         });

}  // namespace
}  // namespace rostrel
