#include "common/tag_balance.h"

#include <gtest/gtest.h>

#include <string>

namespace rostrel {
namespace {

struct BalanceCase {
  std::string document;
  std::string finding;  // DescribeTagBalance's words; empty when the tags balance
};

class TagBalanceTest : public ::testing::TestWithParam<BalanceCase> {};

TEST_P(TagBalanceTest, NamesTheFirstUnbalancedTagAndItsLine) {
  const TagBalance balance = CheckTagBalance(GetParam().document);
  EXPECT_EQ(DescribeTagBalance(balance), GetParam().finding);
  EXPECT_EQ(balance.kind == TagBalance::Balanced, GetParam().finding.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, TagBalanceTest,
    ::testing::Values(
        BalanceCase{"<?xml version=\"1.0\"?>\r\n<!DOCTYPE L [ <!ENTITY e \"</X>\"> ]>\r\n"
                    "<L a=\">\"><!-- </L> --><![CDATA[</L>]]><B\r\n c='1'></B ><E/></L>\r\n",
                    ""},
        BalanceCase{"<LENEX>\n<CLUBS>\n<CLUB>\n<ATHLETES>\n</CLUB>\n</CLUBS>\n</LENEX>\n",
                    "znacznik </CLUB> w wierszu 5 nie zamyka otwartego znacznika <ATHLETES> z "
                    "wiersza 4"},
        BalanceCase{"<CLUBS>\r\n  <CLUB>\r\n    <ATHLETES/>\r\n</CLUBS>\r\n",
                    "znacznik </CLUBS> w wierszu 4 nie zamyka otwartego znacznika <CLUB> z "
                    "wiersza 2"},
        BalanceCase{"<A>\n<B\n c=\"1\">\n</A>\n",
                    "znacznik </A> w wierszu 4 nie zamyka otwartego znacznika <B> z wiersza 2"},
        BalanceCase{"<A/>\n</A></B>",
                    "znacznik </A> w wierszu 2 zamyka element, który nie został otwarty"},
        BalanceCase{"<LENEX version=\"3.0\">\n<MEETS>\n</MEETS>\n",
                    "znacznik <LENEX> z wiersza 1 nie został zamknięty"},
        BalanceCase{"<A>\n<B x=\"1\n",
                    "znacznik <B rozpoczęty w wierszu 2 nie kończy się znakiem >"},
        BalanceCase{"<A>\n</A\n", "znacznik </A rozpoczęty w wierszu 2 nie kończy się znakiem >"},
        BalanceCase{"<A>\n<!-- x\n</A>\n",
                    "komentarz rozpoczęty w wierszu 2 nie kończy się znakami -->"},
        BalanceCase{"<?xml version=\"1.0\"\n<A/>\n",
                    "instrukcja <? rozpoczęta w wierszu 1 nie kończy się znakami ?>"},
        BalanceCase{"<A>\n<![CDATA[ x ]]\n</A>\n",
                    "sekcja CDATA rozpoczęta w wierszu 2 nie kończy się znakami ]]>"},
        BalanceCase{"<!DOCTYPE A [\n<A/>\n",
                    "deklaracja <! rozpoczęta w wierszu 1 nie kończy się znakiem >"},
        BalanceCase{"<A>\n<B c=\"1\"\n d='O>\n</B>\n</A>\n",
                    "cudzysłów otwarty w wierszu 3 nie został zamknięty przed znakiem <"}));

}  // namespace
}  // namespace rostrel
