#include "common/lef_document.h"

#include <gtest/gtest.h>

#include <string>

namespace rostrel {
namespace {

struct DeclarationCase {
  std::string firstLine;
  std::string expected;
};

class DeclaredEncodingTest : public ::testing::TestWithParam<DeclarationCase> {};

TEST_P(DeclaredEncodingTest, NamesTheEncoding) {
  EXPECT_EQ(DeclaredEncoding(GetParam().firstLine), GetParam().expected) << GetParam().firstLine;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DeclaredEncodingTest,
    ::testing::Values(
        DeclarationCase{R"(<?xml version="1.0" encoding="windows-1250"?>)", "Windows-1250"},
        DeclarationCase{R"(<?xml version="1.0" encoding="WINDOWS-1250"?>)", "Windows-1250"},
        DeclarationCase{R"(<?xml version="1.0" encoding='cp1250'?>)", "Windows-1250"},
        DeclarationCase{R"(<?xml version="1.0" encoding = "UTF-8" ?>)", "UTF-8"},
        DeclarationCase{R"(<?xml version="1.0" encoding="utf8"?>)", "UTF-8"},
        DeclarationCase{R"(<?xml version="1.0" encoding="Latin2"?>)", "ISO-8859-2"},
        DeclarationCase{R"(<?xml version="1.0" encoding="iso-8859-1"?>)", "ISO-8859-1"},
        DeclarationCase{R"(<?xml version="1.0" encoding="CP1252"?>)", "Windows-1252"},
        // A name the program does not know is handed on as the document spells it.
        DeclarationCase{R"(<?xml version="1.0" encoding="KOI8-R"?>)", "KOI8-R"},
        // None declared, an empty name, or a broken one: UTF-8, as XML itself assumes.
        DeclarationCase{R"(<?xml version="1.0"?>)", "UTF-8"}, DeclarationCase{"", "UTF-8"},
        DeclarationCase{R"(<?xml version="1.0" encoding=""?>)", "UTF-8"},
        DeclarationCase{R"(<?xml version="1.0" encoding="windows-1250?>)", "UTF-8"},
        DeclarationCase{R"(<?xml version="1.0" encoding=windows-1250?>)", "UTF-8"},
        DeclarationCase{R"(<?xml version="1.0" encoding)", "UTF-8"},
        // The byte-order mark wins over what the declaration says.
        DeclarationCase{"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1250\"?>", "UTF-8"},
        DeclarationCase{"\xEF\xBB\xBF<?xml version=\"1.0\"?>", "UTF-8"}));

struct VersionCase {
  std::string line;
  bool named;
};

class NamesLenexVersionTest : public ::testing::TestWithParam<VersionCase> {};

// A plain substring test: "2.0" or "3.0" anywhere on the line.
TEST_P(NamesLenexVersionTest, TakesLenex20And30Only) {
  EXPECT_EQ(NamesLenexVersion(GetParam().line), GetParam().named) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Lines, NamesLenexVersionTest,
                         ::testing::Values(VersionCase{R"(<LENEX version="3.0">)", true},
                                           VersionCase{R"(<LENEX version="2.0">)", true},
                                           VersionCase{R"(<LENEX version="1.0" x="v2.0">)", true},
                                           VersionCase{R"(<LENEX version="1.0">)", false},
                                           VersionCase{R"(<LENEX version="3">)", false},
                                           VersionCase{R"(<LENEX version="">)", false},
                                           VersionCase{R"(<LENEX version="30">)", false}));

}  // namespace
}  // namespace rostrel
