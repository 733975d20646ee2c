#include "common/tag_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rostrel {
namespace {

const char* KindName(TokenKind kind) {
  switch (kind) {
    case TokenKind::Text:
      return "Text";
    case TokenKind::StartTag:
      return "Start";
    case TokenKind::EndTag:
      return "End";
    case TokenKind::EmptyTag:
      return "Empty";
    case TokenKind::Comment:
      return "Comment";
    case TokenKind::Instruction:
      return "PI";
    case TokenKind::CData:
      return "CData";
    case TokenKind::Doctype:
      return "Doctype";
  }
  return "?";
}

// Each token as Kind[text], with "..." before a part that continues markup from an earlier
// piece and after one that runs on into the next; pieces are separated by " | ".
std::string Scan(const std::vector<std::string>& pieces) {
  TagScanner scanner;
  std::string out;
  for (const std::string& piece : pieces) {
    if (&piece != &pieces.front()) out += " | ";
    scanner.Feed(piece);
    Token token;
    bool first = true;
    while (scanner.Next(token)) {
      if (!first) out += ' ';
      first = false;
      out += std::string(token.continued ? "..." : "") + KindName(token.kind) + "[" +
             std::string(token.text) + "]" + (token.open ? "..." : "");
    }
  }
  return out;
}

struct ScanCase {
  std::vector<std::string> pieces;
  std::string tokens;
};

class TagScannerTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(TagScannerTest, CutsPiecesIntoTokens) {
  EXPECT_EQ(Scan(GetParam().pieces), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TagScannerTest,
    ::testing::Values(
        ScanCase{{"  <NAME>Jan</NAME>"}, "Text[  ] Start[<NAME>] Text[Jan] End[</NAME>]"},
        ScanCase{{"<A/><B c='1' /></B >"}, "Empty[<A/>] Empty[<B c='1' />] End[</B >]"},
        // A '>' or '/>' inside a quoted value ends nothing; either quote holds the other.
        ScanCase{{R"(<CLUB name="A > B" x='"/>'>)"}, R"(Start[<CLUB name="A > B" x='"/>'>])"},
        ScanCase{{"<!-- <CLUB> --><?xml version=\"1.0\"?>"},
                 "Comment[<!-- <CLUB> -->] PI[<?xml version=\"1.0\"?>]"},
        ScanCase{{"<![CDATA[ <A> ]] ]]>x"}, "CData[<![CDATA[ <A> ]] ]]>] Text[x]"},
        ScanCase{{R"(<!DOCTYPE L [ <!ENTITY e "]>"> <!-- ]> --> ]><L/>)"},
                 R"(Doctype[<!DOCTYPE L [ <!ENTITY e "]>"> <!-- ]> --> ]>] Empty[<L/>])"},
        // A '<' that begins no markup is text.
        ScanCase{{"a < 3 <"}, "Text[a < 3 <]"}, ScanCase{{"", "x"}, " | Text[x]"},
        // Markup left open at the end of a piece goes on in the next.
        ScanCase{{"<ATHLETE a=\"1\"", "  b=\"2\"", "  c=\"3\"/> <X>"},
                 "Start[<ATHLETE a=\"1\"]... | ...Start[  b=\"2\"]... | "
                 "...Empty[  c=\"3\"/>] Text[ ] Start[<X>]"},
        ScanCase{{"<A t=\"x", ">y\">"}, "Start[<A t=\"x]... | ...Start[>y\">]"},
        ScanCase{{"<A", "/>"}, "Start[<A]... | ...Empty[/>]"},
        ScanCase{{"<A /", ">"}, "Start[<A /]... | ...Start[>]"},
        ScanCase{{"</A", ">"}, "End[</A]... | ...End[>]"},
        ScanCase{
            {"<B><!-- a", "<X>", "b --></B>"},
            "Start[<B>] Comment[<!-- a]... | ...Comment[<X>]... | ...Comment[b -->] End[</B>]"},
        ScanCase{{"<?xml version=\"1.0\"", "?>"}, "PI[<?xml version=\"1.0\"]... | ...PI[?>]"},
        ScanCase{{"<!DOCTYPE L [", "<!ENTITY e '>'>", "]>"},
                 "Doctype[<!DOCTYPE L []... | ...Doctype[<!ENTITY e '>'>]... | ...Doctype[]>]"}));

struct NameCase {
  std::string tag;
  std::string name;
};

class TagNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(TagNameTest, IsTheBytesAfterTheOpener) {
  EXPECT_EQ(TagName(GetParam().tag), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Names, TagNameTest,
                         ::testing::Values(NameCase{"<ATHLETE a=\"1\">", "ATHLETE"},
                                           NameCase{"</CLUB >", "CLUB"}, NameCase{"<A/>", "A"},
                                           NameCase{"<B\ta='1'", "B"}, NameCase{"</C>", "C"},
                                           NameCase{"<", ""}));

}  // namespace
}  // namespace rostrel
