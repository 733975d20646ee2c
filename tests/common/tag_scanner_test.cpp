#include "common/tag_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rostrel {
namespace {

// The kinds in the order TokenKind lists them.
const char* KindName(TokenKind kind) {
  static const char* const kNames[] = {"Text",    "Start", "End",   "Empty",
                                       "Comment", "PI",    "CData", "Doctype"};
  return kNames[static_cast<int>(kind)];
}

// Each token as Kind[text], with "..." before a part that continues markup from an earlier
// piece and after one that runs on into the next; pieces are separated by " | ". A quoted value
// holding a '<' adds " <in value from N>", N the number of the piece where it began.
std::string Scan(const std::vector<std::string>& pieces) {
  TagScanner scanner;
  std::string out;
  size_t number = 0;
  for (const std::string& piece : pieces) {
    if (&piece != &pieces.front()) out += " | ";
    scanner.Feed(piece, ++number);
    Token token;
    bool first = true;
    while (scanner.Next(token)) {
      if (!first) out += ' ';
      first = false;
      out += std::string(token.continued ? "..." : "") + KindName(token.kind) + "[" +
             std::string(token.text) + "]" + (token.open ? "..." : "");
    }
  }
  if (scanner.BrokenQuote() != 0)
    out += " <in value from " + std::to_string(scanner.BrokenQuote()) + ">";
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
                 "Doctype[<!DOCTYPE L []... | ...Doctype[<!ENTITY e '>'>]... | ...Doctype[]>]"},
        // A comment or a quoted literal in the internal subset goes on over pieces too.
        ScanCase{{"<!DOCTYPE L [ <!-- a", "]> -->", "]>"},
                 "Doctype[<!DOCTYPE L [ <!-- a]... | ...Doctype[]> -->]... | ...Doctype[]>]"},
        ScanCase{{"<!DOCTYPE L [ <!ENTITY e \"a", "]>\" > ]><L/>"},
                 "Doctype[<!DOCTYPE L [ <!ENTITY e \"a]... | ...Doctype[]>\" > ]>] Empty[<L/>]"},
        // Any other <!...> is taken like a DOCTYPE, wherever it stands.
        ScanCase{{"<!ELEMENT a (b)><A/>"}, "Doctype[<!ELEMENT a (b)>] Empty[<A/>]"},
        // A '<' inside a tag's quoted value means its closing quote is missing; in a DOCTYPE's
        // literal it may stand.
        ScanCase{{"<A b=O'Brien c=\"1\" />", "", "<B/>"},
                 "Start[<A b=O'Brien c=\"1\" />]... |  | ...Start[<B/>]... <in value from 1>"},
        ScanCase{{"<A b='<' c=\"1\">"}, "Start[<A b='<' c=\"1\">] <in value from 1>"},
        ScanCase{{"<!DOCTYPE L [ <!ENTITY e '<b>'> ]>"},
                 "Doctype[<!DOCTYPE L [ <!ENTITY e '<b>'> ]>]"},
        // A name may start with any byte from 0x80 up: UTF-8 and Windows-1250 letters alike.
        ScanCase{{"a<Żak>b</Żak><\xAF/>"},
                 "Text[a] Start[<Żak>] Text[b] End[</Żak>] Empty[<\xAF/>]"}));

// The end of a tag is looked for eight bytes at a time: wherever the '>' falls among them, and
// whatever quotes stand before it, the tag ends at the first '>' outside a value.
TEST(TagScanner, EndsATagWhereverItsEndFalls) {
  for (size_t length = 0; length <= 20; ++length) {
    for (const char quote : {'"', '\''}) {
      for (const char filler : {'x', '>', '"', '\''}) {
        if (filler == quote) continue;
        std::string value;
        for (size_t i = 0; i < length; ++i) value += (i % 3 == 1) ? filler : 'x';
        const std::string tag = std::string("<A v=") + quote + value + quote + ">";
        EXPECT_EQ(Scan({tag + "tail"}), "Start[" + tag + "] Text[tail]") << tag;
        EXPECT_EQ(Scan({"  " + tag}), "Text[  ] Start[" + tag + "]") << tag;
      }
    }
  }
}

struct SoleCase {
  std::string piece;
  std::string taken;  // the token SoleTag takes, or nothing
  std::string after;  // what Next finds in the piece afterwards
};

class SoleTagTest : public ::testing::TestWithParam<SoleCase> {};

TEST_P(SoleTagTest, TakesALineOfOneTagAtOnce) {
  TagScanner scanner;
  scanner.Feed(GetParam().piece, 1);
  Token token;
  const bool taken = scanner.SoleTag(token);
  EXPECT_EQ(taken ? std::string(KindName(token.kind)) + "[" + std::string(token.text) + "]" : "",
            GetParam().taken);
  std::string after;
  while (scanner.Next(token))
    after += std::string(KindName(token.kind)) + "[" + std::string(token.text) + "]";
  EXPECT_EQ(after, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SoleTagTest,
    ::testing::Values(SoleCase{"    <ATHLETE a=\"1\" b='O\"x'>  ",
                               "Start[<ATHLETE a=\"1\" b='O\"x'>]", ""},
                      SoleCase{"\t</CLUB>", "End[</CLUB>]", ""},
                      SoleCase{"<CONTACT a=\">\" />\r", "Empty[<CONTACT a=\">\" />]", ""},
                      SoleCase{"<A>x</A>", "", "Start[<A>]Text[x]End[</A>]"},
                      SoleCase{" <!-- x -->", "", "Text[ ]Comment[<!-- x -->]"},
                      SoleCase{"<A b=\"1", "", "Start[<A b=\"1]"},
                      SoleCase{"tekst", "", "Text[tekst]"}, SoleCase{"", "", ""}));

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
