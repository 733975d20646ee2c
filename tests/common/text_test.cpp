#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"

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

TEST(TrimSpaces, RemovesOnlyBlanks) {
  EXPECT_EQ(TrimSpaces("  <CLUBS>  "), "<CLUBS>");
  EXPECT_EQ(TrimSpaces("\t<CLUBS>"), "\t<CLUBS>");
  EXPECT_EQ(TrimSpaces("    "), "");
}

}  // namespace
}  // namespace rostrel
