#include "common/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rostrel {
namespace {

using V = std::vector<std::string>;

struct LinesCase {
  std::string text;
  V lines;
};

class LinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(LinesTest, ForEachLineSplitsAtCrLfAndLoneLf) {
  V lines;
  ForEachLine(GetParam().text, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  EXPECT_EQ(lines, GetParam().lines);
}

// Text that arrives in pieces gives the same lines wherever the pieces are cut.
TEST_P(LinesTest, LineJoinerFindsTheSameLinesInPieces) {
  const std::string& text = GetParam().text;
  for (size_t size = 1; size <= text.size() + 1; ++size) {
    V lines;
    const auto keep = [&](std::string_view line) {
      lines.emplace_back(line);
      return true;
    };
    LineJoiner joiner;
    for (size_t at = 0; at < text.size(); at += size)
      joiner.Feed(std::string_view(text).substr(at, size), keep);
    joiner.Finish(keep);
    EXPECT_EQ(lines, GetParam().lines) << "pieces of " << size;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LinesTest,
    ::testing::Values(LinesCase{"a\r\nb\nc", {"a", "b", "c"}},
                      // A final terminator starts no empty line.
                      LinesCase{"a\r\nb\r\n", {"a", "b"}}, LinesCase{"", {}},
                      LinesCase{"\r\n\r\n", {"", ""}}, LinesCase{"\n\n", {"", ""}},
                      // A lone CR stays inside the line.
                      LinesCase{"a\rb\r\n", {"a\rb"}}, LinesCase{"x\r", {"x\r"}},
                      LinesCase{"e\r\r\nf\n", {"e\r", "f"}},
                      LinesCase{"a\r\nbb\nccc\r\n\r\nd", {"a", "bb", "ccc", "", "d"}},
                      LinesCase{"one line", {"one line"}}));

TEST(ForEachLine, StopsWhenAsked) {
  int seen = 0;
  const bool finished = ForEachLine("1\n2\n3\n", [&](std::string_view) { return ++seen < 2; });
  EXPECT_FALSE(finished);
  EXPECT_EQ(seen, 2);
}

struct TrimCase {
  std::string line;
  std::string trimmed;
};

class TrimBlanksAndTabsTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimBlanksAndTabsTest, RemovesBlanksAndTabsAtBothEnds) {
  EXPECT_EQ(TrimBlanksAndTabs(GetParam().line), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(Lines, TrimBlanksAndTabsTest,
                         ::testing::Values(TrimCase{"\t\t<CLUBS>", "<CLUBS>"},
                                           TrimCase{" \t <CLUBS> \t", "<CLUBS>"},
                                           TrimCase{"<A>\t<B>", "<A>\t<B>"},
                                           TrimCase{"<CLUBS>\r", "<CLUBS>\r"},
                                           TrimCase{"\t \t", ""}));

}  // namespace
}  // namespace rostrel
