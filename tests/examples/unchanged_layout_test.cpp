// Documents already written one element per line go through the layout untouched, line for line
// as the same bytes (none is copied), so that reading and rewriting them give what they gave
// before the program learnt other layouts: the sample files and the benchmark's generated ones.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/lef_layout.h"
#include "common/text.h"
#include "support/actions.h"
#include "support/files.h"

namespace rostrel::testing {
namespace {

struct Document {
  const char* name;
  std::string path;  // an LXF file to take the one member of, or a LEF document
  bool archive;
};

void PrintTo(const Document& d, std::ostream* os) { *os << d.name; }

std::vector<Document> Documents() {
  const std::string generated = ROSTREL_GENERATED_DIR;
  return {
      {"SampleDatabaseCp1250", Example("baza-cp1250.lxf"), true},
      {"SampleDatabaseUtf8", Example("baza-utf8.lxf"), true},
      {"SampleEntriesCp1250", Example("zgloszenie-cp1250.lxf"), true},
      {"SampleEntriesUtf8", Example("zgloszenie-utf8.lxf"), true},
      {"GeneratedDatabaseCp1250", generated + "/100/cp1250/lef/baza.lef", false},
      {"GeneratedDatabaseUtf8", generated + "/100/utf8/lef/baza.lef", false},
      {"GeneratedEntriesCp1250", generated + "/100/cp1250/lef/zawody.lef", false},
      {"GeneratedEntriesUtf8", generated + "/100/utf8/lef/zawody.lef", false},
  };
}

class OneElementPerLine : public ::testing::TestWithParam<Document> {};

TEST_P(OneElementPerLine, PassesTheLayoutUntouchedAndUncopied) {
  const std::string document =
      GetParam().archive ? OnlyMember(GetParam().path) : ReadBytes(GetParam().path);
  ASSERT_GT(document.size(), 1000u) << GetParam().path;
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
  for (size_t i = 0; i < read.size(); ++i) copied += emitted[i].data() != read[i].data();
  EXPECT_EQ(copied, 0u);
  EXPECT_EQ(layout.RootLine(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Documents, OneElementPerLine, ::testing::ValuesIn(Documents()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rostrel::testing
