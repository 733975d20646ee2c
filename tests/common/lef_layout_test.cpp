#include "common/lef_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/text.h"
#include "support/actions.h"
#include "support/files.h"

namespace rostrel {
namespace {

struct Laid {
  std::vector<std::string> lines;
  bool changed = false;
  size_t rootLine = 0;
  std::string Text() const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }
};

Laid Lay(std::string_view document) {
  LefLayout layout;
  Laid laid;
  const auto keep = [&](std::string_view line) {
    laid.lines.emplace_back(line);
    return true;
  };
  ForEachLine(document, [&](std::string_view line) { return layout.Line(line, keep); });
  layout.Finish(keep);
  laid.changed = layout.Changed();
  laid.rootLine = layout.RootLine();
  return laid;
}

struct CutCase {
  const char* what;
  std::string document;
  std::string laidOut;
  size_t rootLine;
  bool endsOpen = false;  // a tag left open at the end, which is joined again when read again
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.what; }

class LefLayoutCuts : public ::testing::TestWithParam<CutCase> {};

TEST_P(LefLayoutCuts, PutsEachElementOnALineOfItsOwn) {
  const Laid laid = Lay(GetParam().document);
  EXPECT_EQ(laid.Text(), GetParam().laidOut) << GetParam().what;
  EXPECT_TRUE(laid.changed) << GetParam().what;
  EXPECT_EQ(laid.rootLine, GetParam().rootLine) << GetParam().what;
}

// What the layout makes is already one element per line: laid out again, it passes untouched.
TEST_P(LefLayoutCuts, LeavesItsOwnFormAsItIs) {
  const Laid again = Lay(GetParam().laidOut);
  EXPECT_EQ(again.Text(), GetParam().laidOut) << GetParam().what;
  EXPECT_EQ(again.changed, GetParam().endsOpen) << GetParam().what;
  EXPECT_EQ(again.rootLine, GetParam().rootLine) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LefLayoutCuts,
    ::testing::Values(
        CutCase{"one line after the declaration",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                "<LENEX version=\"3.0\"><MEETS><MEET name=\"M\"><SESSIONS><SESSION number=\"1\"/>"
                "</SESSIONS><CLUBS><CLUB name=\"K\"><CONTACT name=\"Jan\"></CONTACT><ATHLETES>"
                "<ATHLETE athleteid=\"1\" lastname=\"Nowak\"><ENTRIES><ENTRY eventid=\"1\" />"
                "</ENTRIES></ATHLETE></ATHLETES></CLUB></CLUBS></MEET></MEETS></LENEX>\r\n",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "  <MEETS>\n"
                "    <MEET name=\"M\">\n"
                "      <SESSIONS>\n"
                "        <SESSION number=\"1\"/>\n"
                "      </SESSIONS>\n"
                "      <CLUBS>\n"
                "        <CLUB name=\"K\">\n"
                "          <CONTACT name=\"Jan\"></CONTACT>\n"
                "          <ATHLETES>\n"
                "            <ATHLETE athleteid=\"1\" lastname=\"Nowak\">\n"
                "              <ENTRIES>\n"
                "                <ENTRY eventid=\"1\" />\n"
                "              </ENTRIES>\n"
                "            </ATHLETE>\n"
                "          </ATHLETES>\n"
                "        </CLUB>\n"
                "      </CLUBS>\n"
                "    </MEET>\n"
                "  </MEETS>\n"
                "</LENEX>\n",
                2},
        CutCase{"declaration and root on line 1",
                "<?xml version=\"1.0\" encoding=\"windows-1250\"?><LENEX version=\"3.0\">\n"
                "  <MEETS>\n"
                "  </MEETS>\n"
                "</LENEX>\n",
                "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "  <MEETS>\n"
                "  </MEETS>\n"
                "</LENEX>\n",
                2},
        CutCase{"a byte-order mark and a comment before the root, all on line 1",
                "\xEF\xBB\xBF<?xml version=\"1.0\"?> <!-- eksport --><LENEX version=\"2.0\">"
                "<MEETS/></LENEX>",
                "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
                "<!-- eksport -->\n"
                "<LENEX version=\"2.0\">\n"
                "  <MEETS/>\n"
                "</LENEX>\n",
                3},
        CutCase{"several tags on some lines only",
                "<?xml version=\"1.0\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "  <CLUBS>\n"
                "    <CLUB name=\"K\"><ATHLETES>\n"
                "      <ATHLETE athleteid=\"1\"><NAME>Jan</NAME> <ENTRY eventid=\"1\"/></ATHLETE>\n"
                "    </ATHLETES></CLUB>\n"
                "  </CLUBS>\n"
                "</LENEX>\n",
                "<?xml version=\"1.0\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "  <CLUBS>\n"
                "    <CLUB name=\"K\">\n"
                "      <ATHLETES>\n"
                "        <ATHLETE athleteid=\"1\">\n"
                "          <NAME>Jan</NAME>\n"
                "          <ENTRY eventid=\"1\"/>\n"
                "        </ATHLETE>\n"
                "      </ATHLETES>\n"
                "    </CLUB>\n"
                "  </CLUBS>\n"
                "</LENEX>\n",
                2},
        CutCase{"tab indentation",
                "<?xml version=\"1.0\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "\t<CLUBS>\n"
                "\t\t<CLUB name=\"K\">\t<ATHLETES/></CLUB>\n"
                "\t</CLUBS>\n"
                "</LENEX>\n",
                "<?xml version=\"1.0\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "\t<CLUBS>\n"
                "    <CLUB name=\"K\">\n"
                "      <ATHLETES/>\n"
                "    </CLUB>\n"
                "\t</CLUBS>\n"
                "</LENEX>\n",
                2},
        CutCase{"a '>' inside an attribute value and comments holding tags",
                "<LENEX version=\"3.0\">\n"
                "  <!-- <CLUB name=\"stary\"></CLUB> -->\n"
                "  <CLUB name=\"A > B\"><!-- <ATHLETE> --><ATHLETES/></CLUB>\n"
                "</LENEX>\n",
                "<LENEX version=\"3.0\">\n"
                "  <!-- <CLUB name=\"stary\"></CLUB> -->\n"
                "  <CLUB name=\"A > B\">\n"
                "    <!-- <ATHLETE> -->\n"
                "    <ATHLETES/>\n"
                "  </CLUB>\n"
                "</LENEX>\n",
                1},
        CutCase{"an athlete's start tag over three lines",
                "<LENEX version=\"3.0\">\n"
                "  <ATHLETES>\n"
                "    <ATHLETE athleteid=\"1\"\n"
                "             lastname=\"Nowak\"  \n"
                "\tfirstname=\"Jan\">\n"
                "      <ENTRIES/>\n"
                "    </ATHLETE>\n"
                "  </ATHLETES>\n"
                "</LENEX>\n",
                "<LENEX version=\"3.0\">\n"
                "  <ATHLETES>\n"
                "    <ATHLETE athleteid=\"1\" lastname=\"Nowak\" firstname=\"Jan\">\n"
                "      <ENTRIES/>\n"
                "    </ATHLETE>\n"
                "  </ATHLETES>\n"
                "</LENEX>\n",
                1},
        CutCase{"a joined start tag followed by its text and end tag, then another tag",
                "<NAME a=\"1\"\n b=\"2\">Jan</NAME><X/>\n",
                "<NAME a=\"1\" b=\"2\">Jan</NAME>\n"
                "<X/>\n",
                1},
        CutCase{"a line break inside a quoted value becomes one blank, the blanks around it stay",
                "<CLUB name=\"Klub\n  Delfin\"/>\n", "<CLUB name=\"Klub   Delfin\"/>\n", 1},
        CutCase{"a declaration not closed on line 1",
                "<?xml version=\"1.0\"\n   encoding=\"UTF-8\"?><LENEX version=\"3.0\">\n</LENEX>\n",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<LENEX version=\"3.0\">\n"
                "</LENEX>\n",
                2},
        CutCase{"a comment over two lines that share them with tags",
                "<A><!-- jeden\ndwa <B> -->  <C/></A>\n",
                "<A>\n"
                "  <!-- jeden\n"
                "dwa <B> -->\n"
                "  <C/>\n"
                "</A>\n",
                1},
        CutCase{"text sharing a line with tags", "<A> tekst <B/> </A>\n",
                "<A>\n"
                "  tekst\n"
                "  <B/>\n"
                "</A>\n",
                1},
        CutCase{"a tag the document never closes is passed on at its end", "<A/><B c=\"1\"\n d",
                "<A/>\n"
                "<B c=\"1\" d\n",
                1, true},
        CutCase{"a blank line inside a quoted value: each line break becomes one blank",
                "<CLUB name=\"Klub\n\nDelfin\"/>\n", "<CLUB name=\"Klub  Delfin\"/>\n", 1},
        CutCase{"<?xml alone at the end of line 1", "<?xml\n version=\"1.0\"?>\n<A/>\n",
                "<?xml version=\"1.0\"?>\n<A/>\n", 2},
        CutCase{"a byte-order mark before a declaration over two lines",
                "\xEF\xBB\xBF<?xml version=\"1.0\"\n encoding=\"UTF-8\"?>\n<A/>\n",
                "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<A/>\n", 2},
        CutCase{"an instruction over two lines that is not the declaration is not joined",
                "<A><?xml-stylesheet href=\"a\"\n type=\"b\"?></A>\n",
                "<A>\n"
                "  <?xml-stylesheet href=\"a\"\n"
                " type=\"b\"?>\n"
                "</A>\n",
                1},
        CutCase{"an end tag of another name ends no element on its line", "<A>x</B>\n",
                "<A>\n"
                "  x\n"
                "</B>\n",
                1},
        // End tags with nothing open, alone, beside text and beside tags, leave the level at 0.
        CutCase{"stray end tags", "</X>\n</Y> tekst\n</Z><D><E/></D>\n",
                "</X>\n"
                "</Y> tekst\n"
                "</Z>\n"
                "<D>\n"
                "  <E/>\n"
                "</D>\n",
                4}));

// Documents already written one element per line go through the layout untouched, line for line
// as the very same bytes (none is copied), so that reading and rewriting them give what they gave
// before the program learnt other layouts: a document with every kind of line that stays as it
// is, the sample files and the benchmark's generated ones.
struct UntouchedCase {
  const char* name;
  std::function<std::string()> document;
  size_t rootLine = 2;
};

void PrintTo(const UntouchedCase& c, std::ostream* os) { *os << c.name; }

std::string EveryKindOfLine() {
  return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
         "<!DOCTYPE LENEX [ <!ENTITY a \"b\"> ]>\r\n"
         "<!-- eksport\r\n"
         "   <CLUB> w komentarzu -->\r\n"
         "<LENEX version=\"3.0\">\r\n"
         "\t<CONTACT name=\"Jan\" email=\"a@b.pl\"></CONTACT>\r\n"
         "\r\n"
         "    <NAME>Jan  Nowak</NAME>   \r\n"
         "\t<DESC>\r\n"
         "\t\ttekst bez znaczników\r\n"
         "\t</DESC>\r\n"
         "  <NOTE>tekst obok jedynego znacznika w wierszu\r\n"
         "  i jego koniec</NOTE>\r\n"
         "  <![CDATA[ <A>\r\n"
         "  ]]>\r\n"
         "  <ATHLETE athleteid=\"1\" lastname=\"A > B\" />\r\n"
         "</LENEX>\r\n";
}

std::vector<UntouchedCase> UntouchedCases() {
  const auto sample = [](std::string name) {
    return [name] { return testing::OnlyMember(testing::Example(name)); };
  };
  const auto generated = [](std::string path) {
    return [path] { return testing::ReadBytes(ROSTREL_GENERATED_DIR + path); };
  };
  return {
      {"EveryKindOfLine", EveryKindOfLine, 5},
      {"SampleDatabaseCp1250", sample("baza-cp1250.lxf")},
      {"SampleDatabaseUtf8", sample("baza-utf8.lxf")},
      {"SampleEntriesCp1250", sample("zgloszenie-cp1250.lxf")},
      {"SampleEntriesUtf8", sample("zgloszenie-utf8.lxf")},
      {"GeneratedDatabaseCp1250", generated("/100/cp1250/lef/baza.lef")},
      {"GeneratedDatabaseUtf8", generated("/100/utf8/lef/baza.lef")},
      {"GeneratedEntriesCp1250", generated("/100/cp1250/lef/zawody.lef")},
      {"GeneratedEntriesUtf8", generated("/100/utf8/lef/zawody.lef")},
  };
}

class LefLayoutUntouched : public ::testing::TestWithParam<UntouchedCase> {};

TEST_P(LefLayoutUntouched, PassesEveryLineAsTheSameBytes) {
  const std::string document = GetParam().document();
  ASSERT_GT(document.size(), 300u) << document;
  std::vector<std::string_view> read, emitted;
  LefLayout layout;
  const auto keep = [&](std::string_view line) {
    emitted.push_back(line);
    return true;
  };
  ForEachLine(document, [&](std::string_view line) {
    read.push_back(line);
    return layout.Line(line, keep);
  });
  layout.Finish(keep);
  EXPECT_FALSE(layout.Changed());
  ASSERT_EQ(emitted.size(), read.size());
  size_t copied = 0;
  for (size_t i = 0; i < read.size(); ++i)
    copied += emitted[i].data() != read[i].data() || emitted[i].size() != read[i].size();
  EXPECT_EQ(copied, 0u);
  EXPECT_EQ(layout.RootLine(), GetParam().rootLine);
}

INSTANTIATE_TEST_SUITE_P(Documents, LefLayoutUntouched, ::testing::ValuesIn(UntouchedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Each line emitted tells the given line it begins on; a quoted value holding a '<' tells the
// line where it began.
TEST(LefLayout, TellsTheLineEachLineBeginsOn) {
  LefLayout layout;
  std::vector<std::string> seen;
  const auto keep = [&](std::string_view line) {
    seen.push_back(std::to_string(layout.SourceLine()) + " " + std::string(line));
    return true;
  };
  for (const char* line :
       {"<A><B/>", "<C x=\"1\"", "   y=\"2\"/>  <D/>", "</A>", "<E f='1", "<F/>"})
    layout.Line(line, keep);
  layout.Finish(keep);
  EXPECT_EQ(seen, (std::vector<std::string>{"1 <A>", "1   <B/>", "2   <C x=\"1\" y=\"2\"/>",
                                            "3   <D/>", "4 </A>", "5 <E f='1 <F/>"}));
  EXPECT_EQ(layout.BrokenQuoteLine(), 5u);
}

TEST(LefLayout, StopsWhenEmitSaysSo) {
  LefLayout layout;
  std::vector<std::string> seen;
  const auto twoOnly = [&](std::string_view line) {
    seen.emplace_back(line);
    return seen.size() < 2;
  };
  EXPECT_FALSE(layout.Line("<A><B/><C/></A>", twoOnly));
  EXPECT_FALSE(layout.Line("<D/>", twoOnly));
  EXPECT_FALSE(layout.Finish(twoOnly));
  EXPECT_EQ(seen, (std::vector<std::string>{"<A>", "  <B/>"}));
}

}  // namespace
}  // namespace rostrel
