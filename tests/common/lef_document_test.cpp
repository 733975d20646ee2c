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
        // The byte-order mark wins over what the declaration says.
        DeclarationCase{"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1250\"?>", "UTF-8"},
        DeclarationCase{"\xEF\xBB\xBF<?xml version=\"1.0\"?>", "UTF-8"}));

}  // namespace
}  // namespace rostrel
