#include "archive/member_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rostrel {
namespace {

using Parts = std::vector<std::string>;

struct SafetyCase {
  const char* name;
  bool posix;    // safe under the POSIX rules
  bool windows;  // safe under the Windows rules
};

void PrintTo(const SafetyCase& c, std::ostream* os) { *os << c.name; }

class MemberNameSafety : public ::testing::TestWithParam<SafetyCase> {};

// Names are refused, never repaired: whatever separator a step up or a drive uses.
TEST_P(MemberNameSafety, FollowsTheRulesOfEachPlatform) {
  EXPECT_EQ(IsSafeMemberName(GetParam().name, NameRules::Posix), GetParam().posix);
  EXPECT_EQ(IsSafeMemberName(GetParam().name, NameRules::Windows), GetParam().windows);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MemberNameSafety,
    ::testing::Values(
        // Steps up and absolute places.
        SafetyCase{"../x.lef", false, false}, SafetyCase{"..", false, false},
        SafetyCase{"a/../../x.lef", false, false}, SafetyCase{"a/..", false, false},
        SafetyCase{"/abs.lef", false, false}, SafetyCase{"/tmp/abs.lef", false, false},
        SafetyCase{"\\abs.lef", false, false}, SafetyCase{"C:x.lef", false, false},
        SafetyCase{"C:/x.lef", false, false}, SafetyCase{"c:\\x.lef", false, false},
        SafetyCase{"a\\..\\b.lef", false, false}, SafetyCase{"..\\x.lef", false, false},
        SafetyCase{"a/..\\..\\x.lef", false, false}, SafetyCase{"sub/../zawody.lef", false, false},
        SafetyCase{"../", false, false}, SafetyCase{"", false, false},
        SafetyCase{"a/b/../../../x.lef", false, false}, SafetyCase{"C:\\x.lef", false, false},
        SafetyCase{"c:x.lef", false, false}, SafetyCase{"D:/zawody/x.lef", false, false},
        SafetyCase{"C:\\Temp\\klub/x.lef", false, false},
        // Names that merely look odd.
        SafetyCase{"..x.lef", true, true}, SafetyCase{"x..lef", true, true},
        SafetyCase{"./a.lef", true, true}, SafetyCase{"zawody.lef", true, true},
        // Windows drops trailing dots and blanks and reads a colon as a drive or a stream.
        SafetyCase{"b/.../c.lef", true, false}, SafetyCase{"1:x.lef", true, false},
        SafetyCase{"a/. ./x.lef", true, false}, SafetyCase{"zawody.lef ", true, false},
        SafetyCase{"zawody.lef:ukryty", true, false},
        // Names of Windows' devices and characters Windows refuses, on both systems.
        SafetyCase{"CON", false, false}, SafetyCase{"nul.txt", false, false},
        SafetyCase{"stare/Com1.lef", false, false}, SafetyCase{"lpt9", false, false},
        SafetyCase{"aux .lef", false, false}, SafetyCase{"c:", false, false},
        SafetyCase{"COM10.lef", true, true}, SafetyCase{"com0", true, true},
        SafetyCase{"Console.lef", true, true}, SafetyCase{"~x! (1).lef", true, true},
        SafetyCase{"a<b.lef", false, false}, SafetyCase{"a>b", false, false},
        SafetyCase{"\"x\".lef", false, false}, SafetyCase{"a|b", false, false},
        SafetyCase{"co?.lef", false, false}, SafetyCase{"*.lef", false, false},
        SafetyCase{"a\tb.lef", false, false}, SafetyCase{"\x1F", false, false}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct PlaceCase {
  const char* name;
  NameRules rules;
  bool folder;
  Parts target;
  const char* key;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
  *os << c.name << (c.rules == NameRules::Windows ? " (Windows)" : " (POSIX)");
}

class MemberPlace : public ::testing::TestWithParam<PlaceCase> {};

// Where a member lands, and which spellings land in one place.
TEST_P(MemberPlace, IsItsTargetAndKey) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(IsFolderMember(c.name, c.rules), c.folder);
  EXPECT_EQ(MemberTarget(c.name, c.rules), c.target);
  EXPECT_EQ(MemberKey(c.name, c.rules), c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MemberPlace,
    ::testing::Values(
        PlaceCase{"zawody.lef", NameRules::Posix, false, {"zawody.lef"}, "/zawody.lef"},
        PlaceCase{"./zawody.lef/", NameRules::Posix, true, {"zawody.lef"}, "/zawody.lef"},
        PlaceCase{"a//b/./c.lef", NameRules::Posix, false, {"a", "b", "c.lef"}, "/a/b/c.lef"},
        // A backslash is part of a POSIX name, a separator on Windows.
        PlaceCase{"stare\\Zawody.lef",
                  NameRules::Posix,
                  false,
                  {"stare\\Zawody.lef"},
                  "/stare\\Zawody.lef"},
        PlaceCase{"stare\\Zawody.lef",
                  NameRules::Windows,
                  false,
                  {"stare", "Zawody.lef"},
                  "/stare/zawody.lef"},
        PlaceCase{"stare\\", NameRules::Windows, true, {"stare"}, "/stare"},
        PlaceCase{"stare\\", NameRules::Posix, false, {"stare\\"}, "/stare\\"},
        // Letter case tells names apart on POSIX only; Polish and other Latin letters fold as
        // well, small letters and other characters stay.
        PlaceCase{"ZAWODY.LEF", NameRules::Posix, false, {"ZAWODY.LEF"}, "/ZAWODY.LEF"},
        PlaceCase{"ZAWODY.LEF", NameRules::Windows, false, {"ZAWODY.LEF"}, "/zawody.lef"},
        PlaceCase{"ŻÓŁW/ĄĆĘŃŚŹÞ.LEF",
                  NameRules::Windows,
                  false,
                  {"ŻÓŁW", "ĄĆĘŃŚŹÞ.LEF"},
                  "/żółw/ąćęńśźþ.lef"},
        PlaceCase{"Łódź – 1.lef", NameRules::Windows, false, {"Łódź – 1.lef"}, "/łódź – 1.lef"},
        // The first capital of each of Windows' ranges, and Ÿ, whose small letter is in Latin-1.
        PlaceCase{"ÀĀĲĹŊŸ", NameRules::Windows, false, {"ÀĀĲĹŊŸ"}, "/àāĳĺŋÿ"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace rostrel
