#include "common/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rostrel {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

using V = std::vector<std::string>;

TEST(ForEachLine, SplitsAtCrLfAndLoneLf) {
  EXPECT_EQ(Lines("a\r\nb\nc"), (V{"a", "b", "c"}));
  EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));  // a final terminator starts no empty line
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("\r\n\r\n"), (V{"", ""}));
  EXPECT_EQ(Lines("a\rb\r\n"), (V{"a\rb"}));  // a lone CR stays inside the line
  EXPECT_EQ(Lines("x\r"), (V{"x\r"}));
}

TEST(ForEachLine, StopsWhenAsked) {
  int seen = 0;
  const bool finished = ForEachLine("1\n2\n3\n", [&](std::string_view) { return ++seen < 2; });
  EXPECT_FALSE(finished);
  EXPECT_EQ(seen, 2);
}

TEST(LineJoiner, FindsTheSameLinesWhereverThePiecesAreCut) {
  const std::string texts[] = {
      "a\r\nbb\nccc\r\n\r\nd", "x\r", "\n\n", "one line", "", "e\r\r\nf\n"};
  for (const std::string& text : texts) {
    for (size_t size = 1; size <= text.size() + 1; ++size) {
      std::vector<std::string> lines;
      const auto keep = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
      };
      LineJoiner joiner;
      for (size_t at = 0; at < text.size(); at += size)
        joiner.Feed(std::string_view(text).substr(at, size), keep);
      joiner.Finish(keep);
      EXPECT_EQ(lines, Lines(text)) << "pieces of " << size << " in " << text;
    }
  }
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
