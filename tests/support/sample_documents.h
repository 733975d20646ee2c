#pragma once

// The sample files of examples/, written out line by line: the documents they hold, what reading
// the database keeps, the athletes it lists and the entries document after a paste. Tests
// compare what the program made with these, never with what the program itself computes.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rostrel::testing::samples {

// The database document from line 2 on, as examples/make_examples.py writes it, each line
// marked with what reading its clubs section does with it.
enum Fate { Dropped, Kept, KeptAthlete };
struct DatabaseLine {
  Fate fate;
  std::string_view text;
};
// clang-format off
inline constexpr DatabaseLine kDatabase[] = {
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

inline const std::vector<std::string> kDisplayLines = {
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
inline const std::vector<std::string_view> kEntriesUpToSessionsEnd = {
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
inline const std::vector<std::string_view> kEntriesOldClubs = {
    R"(      <CLUBS>)",
    R"(        <CLUB name="Nazwa klubu" nation="POL" type="CLUB">)",
    R"(          <ATHLETES>)",
    R"(            <ATHLETE athleteid="1" lastname="Nazwisko" firstname="Imię" birthdate="2000-01-01" gender="M" />)",
    R"(          </ATHLETES>)",
    R"(        </CLUB>)",
    R"(      </CLUBS>)",
};
inline const std::vector<std::string_view> kEntriesFromMeetEnd = {
    R"(    </MEET>)",
    R"(  </MEETS>)",
    R"(</LENEX>)",
};

struct Encoding {
  const char* suffix;    // in the sample file names
  const char* declared;  // in the documents' XML declarations
};
inline void PrintTo(const Encoding& e, std::ostream* os) { *os << e.suffix; }

inline constexpr Encoding kCp1250{"cp1250", "Windows-1250"};
inline constexpr Encoding kUtf8{"utf8", "UTF-8"};

// The sample texts hold only ASCII and Polish letters, so this table is all the Windows-1250
// the tests need.
inline std::string InEncoding(std::string_view utf8, const Encoding& encoding) {
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

inline std::string Declaration(const Encoding& encoding) {
  return std::string("<?xml version=\"1.0\" encoding=\"") + encoding.declared + "\"?>\r\n";
}

template <class Lines>
inline std::string Join(const Lines& lines) {
  std::string text;
  for (std::string_view line : lines) (text += line) += "\r\n";
  return text;
}

inline std::vector<std::string_view> DatabaseLines(std::initializer_list<Fate> fates) {
  std::vector<std::string_view> lines;
  for (const DatabaseLine& line : kDatabase) {
    if (std::find(fates.begin(), fates.end(), line.fate) != fates.end()) lines.push_back(line.text);
  }
  return lines;
}

inline std::string Database(const Encoding& e) {
  return InEncoding(Declaration(e) + Join(DatabaseLines({Dropped, Kept, KeptAthlete})), e);
}
inline std::string ClubsText(const Encoding& e) {
  return InEncoding(Join(DatabaseLines({Kept, KeptAthlete})), e);
}
inline std::vector<std::string> AthleteLines(const Encoding& e) {
  std::vector<std::string> lines;
  for (std::string_view line : DatabaseLines({KeptAthlete})) lines.push_back(InEncoding(line, e));
  return lines;
}

inline std::string Entries(const Encoding& e) {
  return InEncoding(Declaration(e) + Join(kEntriesUpToSessionsEnd) + Join(kEntriesOldClubs) +
                        Join(kEntriesFromMeetEnd),
                    e);
}

// The entries document after pasting the database's clubs section into it.
inline std::string Pasted(const Encoding& e) {
  return InEncoding(Declaration(e) + Join(kEntriesUpToSessionsEnd) +
                        Join(DatabaseLines({Kept, KeptAthlete})) + Join(kEntriesFromMeetEnd),
                    e);
}

}  // namespace rostrel::testing::samples
