#include "athletes/parse_athletes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace rostrel {
namespace {

using Lines = std::vector<std::string>;

struct ParseCase {
  std::string name;
  std::string line;
  std::string encoding;
  std::string display;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseAthletesTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseAthletesTest, DisplayLine) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(ParseAthletes({c.line}, c.encoding), Lines{c.display}) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseAthletesTest,
    ::testing::Values(
        ParseCase{
            "AnyOrder",
            R"(    <ATHLETE gender="F" birthdate="2001-05-04" firstname="Anna" lastname="Nowak" athleteid="17">)",
            "UTF-8", "17 Nowak Anna 2001-05-04"},
        ParseCase{"EmptyLastname",
                  R"(<ATHLETE athleteid="17" lastname="" firstname="Anna" birthdate="2001-05-04">)",
                  "UTF-8", "17  Anna 2001-05-04"},
        ParseCase{"MissingAthleteid",
                  R"(<ATHLETE lastname="Nowak" firstname="Anna" birthdate="2001-05-04">)", "UTF-8",
                  " Nowak Anna 2001-05-04"},
        ParseCase{"NoAttributes", "<ATHLETE >", "UTF-8", "   "},
        ParseCase{"LetterCaseCounts", R"(<ATHLETE athleteid="1" LastName="Nowak">)", "UTF-8",
                  "1   "},
        ParseCase{
            "BlanksInsideValue",
            R"(<ATHLETE athleteid="2" lastname="Nowak-Kowalska de Vries" firstname="Anna Maria">)",
            "UTF-8", "2 Nowak-Kowalska de Vries Anna Maria "},
        // Longer names that begin with a wanted one are other attributes.
        ParseCase{
            "LongerNamesBeforeTheRealOnes",
            R"(<ATHLETE lastname.en="Novak" firstname.en="Ann" athleteid.old="9" lastname="Nowak" firstname="Anna" athleteid="17" birthdate="2001-05-04">)",
            "UTF-8", "17 Nowak Anna 2001-05-04"},
        ParseCase{
            "NameInsideAnotherValue",
            R"(<ATHLETE note="a lastname='Zły' firstname=&quot;X&quot;" athleteid="3" lastname="Nowak" firstname="Anna">)",
            "UTF-8", "3 Nowak Anna "},
        ParseCase{"BlanksAroundEquals",
                  R"(<ATHLETE athleteid = "5"  lastname  =  "Nowak" firstname=	"Anna">)", "UTF-8",
                  "5 Nowak Anna "},
        ParseCase{"TabsBetweenAttributes", "<ATHLETE\tathleteid=\"5\"\tlastname=\"Nowak\"\r",
                  "UTF-8", "5 Nowak  "},
        ParseCase{"SingleQuotes", R"(<ATHLETE athleteid='6' lastname='O"Neil' firstname="D'Arcy">)",
                  "UTF-8", "6 O\"Neil D'Arcy "},
        ParseCase{
            "PredefinedEntities",
            R"(<ATHLETE athleteid="7" lastname="O&apos;Brien &amp; Syn" firstname="&lt;&quot;A&quot;&gt;">)",
            "UTF-8", "7 O'Brien & Syn <\"A\"> "},
        ParseCase{
            "NumericReferences",
            R"(<ATHLETE athleteid="&#56;" lastname="&#321;&#xF3;d&#x17A;" firstname="&#x1F3CA;">)",
            "UTF-8", "8 Łódź \xF0\x9F\x8F\x8A "},
        // References that are not valid stay as written.
        ParseCase{
            "InvalidReferencesStay",
            R"(<ATHLETE athleteid="9" lastname="&#X41; &#0; &#xD800; &#1114112; &#; &#x; &#x4G; &nbsp; &amp &" firstname="a&&amp;b">)",
            "UTF-8", "9 &#X41; &#0; &#xD800; &#1114112; &#; &#x; &#x4G; &nbsp; &amp & a&&b "},
        ParseCase{"ApostropheAndLettersAsReferences",
                  R"(<ATHLETE athleteid="20" lastname="O&#39;Brien" firstname="R&#243;&#380;a">)",
                  "UTF-8", "20 O'Brien Róża "},
        ParseCase{"Windows1250",
                  "<ATHLETE athleteid=\"10\" lastname=\"Wi\x9Cniewska-\xA3\xF3"
                  "d\x9F\" "
                  "firstname=\"\xAF"
                  "aneta\" birthdate=\"2002-02-02\">",
                  "Windows-1250", "10 Wiśniewska-Łódź Żaneta 2002-02-02"},
        ParseCase{"Windows1250WithReferences",
                  "<ATHLETE athleteid=\"11\" lastname=\"\xB9&#261;&amp;\">", "Windows-1250",
                  "11 ąą&  "},
        ParseCase{"Iso88592",
                  "<ATHLETE athleteid=\"12\" lastname=\"\xA3\xF3"
                  "d\xBC\">",
                  "ISO-8859-2", "12 Łódź  "},
        ParseCase{
            "Utf8PassesThrough",
            R"(<ATHLETE athleteid="13" lastname="Zając" firstname="Łucja" birthdate="2003-03-03">)",
            "UTF-8", "13 Zając Łucja 2003-03-03"},
        // A value that never closes leaves its field empty; what stood before it is kept.
        ParseCase{
            "UnclosedValue",
            R"(<ATHLETE athleteid="14" firstname="Anna" lastname='Nowak birthdate="2001-05-04">)",
            "UTF-8", "14  Anna "},
        ParseCase{"UnquotedValueIsNotTaken",
                  R"(<ATHLETE athleteid=15 lastname=Nowak firstname="Anna">)", "UTF-8", "  Anna "},
        ParseCase{"NameAtTheEndOfTheLine", R"(<ATHLETE athleteid="16" lastname)", "UTF-8", "16   "},
        ParseCase{"EqualsAtTheEndOfTheLine", R"(<ATHLETE athleteid="16" lastname=)", "UTF-8",
                  "16   "},
        ParseCase{"SelfClosingTag", R"(<ATHLETE athleteid="18" lastname="Nowak"/>)", "UTF-8",
                  "18 Nowak  "},
        // An attribute not parted from the one before is not taken; those after it are.
        ParseCase{
            "AttributeNotParted",
            R"(<ATHLETE athleteid="21" lastname="Nowak"firstname="Anna" birthdate="2001-05-04">)",
            "UTF-8", "21 Nowak  2001-05-04"},
        ParseCase{"NothingAfterTheTagCounts",
                  R"(<ATHLETE athleteid="19"> lastname="Nowak" </ATHLETE>)", "UTF-8", "19   "}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

// The six fields: lastname, firstname, birthdate, license, gender, athleteid; a missing
// attribute leaves its field empty.
TEST(ParseAthlete, FillsAllSixFieldsAndLeavesMissingOnesEmpty) {
  const std::pair<std::string, Lines> cases[] = {
      {R"(<ATHLETE license_ipc="999" athleteid="17" lastname="Nowak" firstname="Anna" )"
       R"(gender="F" birthdate="2001-05-04" license="A123" nation="POL">)",
       {"Nowak", "Anna", "2001-05-04", "A123", "F", "17"}},
      {R"(<ATHLETE license_ipc="999" lastname="Nowak">)", {"Nowak", "", "", "", "", ""}},
  };
  for (const auto& [line, fields] : cases) {
    const AthleteRecord r = ParseAthlete(line, "UTF-8");
    EXPECT_EQ((Lines{r.lastname, r.firstname, r.birthdate, r.license, r.gender, r.athleteid}),
              fields)
        << line;
  }
}

TEST(ParseAthletes, KeepsDocumentOrderAcrossClubs) {
  const Lines lines = {
      R"(  <ATHLETE athleteid="3" lastname="Zając" firstname="Ewa" birthdate="1999-12-31">)",
      R"(  <ATHLETE athleteid="1" lastname="Nowak" firstname="Anna" birthdate="2001-05-04">)",
      R"(  <ATHLETE athleteid="2" lastname="Wiśniewski" firstname="Piotr" birthdate="2000-01-02">)",
  };
  EXPECT_EQ(ParseAthletes(lines, "UTF-8"),
            (Lines{"3 Zając Ewa 1999-12-31", "1 Nowak Anna 2001-05-04",
                   "2 Wiśniewski Piotr 2000-01-02"}));
  EXPECT_EQ(ParseAthletes({}, "UTF-8"), Lines{});
}

TEST(ParseAthletes, HundredThousandLines) {
  Lines lines;
  for (int i = 1; i <= 100'000; ++i)
    lines.push_back("    <ATHLETE athleteid=\"" + std::to_string(i) +
                    "\" lastname=\"Wi\x9Cniewski\" firstname=\"Jan\" gender=\"M\" "
                    "birthdate=\"2000-01-01\" license=\"123\">");
  const Lines shown = ParseAthletes(lines, "Windows-1250");
  ASSERT_EQ(shown.size(), lines.size());
  EXPECT_EQ(shown.front(), "1 Wiśniewski Jan 2000-01-01");
  EXPECT_EQ(shown.back(), "100000 Wiśniewski Jan 2000-01-01");
}

}  // namespace
}  // namespace rostrel
