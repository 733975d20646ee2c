// Times the layout (LefLayout) and the tag balance check on a generated database document: as
// bench/generate.py writes it (one element per line) and rewritten on one line after the
// declaration, the shape of some exports. Prints a Markdown table with MB/s. Usage:
//   rostrel_layout_bench LEF_FILE [RUNS]      e.g.
//   build-bench/bench-data/100000/cp1250/lef/baza.lef

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "bench/harness.h"
#include "common/lef_layout.h"
#include "common/tag_balance.h"
#include "common/text.h"

namespace rostrel::bench {
namespace {

constexpr size_t kPieceSize = 64 * 1024;  // as fileops::ReadFileChunks hands a file over

// The document on two lines: its declaration, then every other line with its indentation and
// terminator removed.
std::string OnOneLine(const std::string& document) {
  std::string out;
  out.reserve(document.size());
  size_t count = 0;
  ForEachLine(document, [&](std::string_view line) {
    if (++count == 1) {
      out.append(line);
      out += kCrLf;
    } else {
      out.append(TrimBlanksAndTabs(line));
    }
    return true;
  });
  out += kCrLf;
  return out;
}

std::string WithoutWhitespace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
  return out;
}

struct Pass {
  size_t lines = 0, copied = 0, bytes = 0;
  bool changed = false;
  size_t rootLine = 0;
};

// Feeds the document's lines through the layout, counting what comes out. With `pieces`, the
// document arrives in 64 KB pieces through a LineJoiner, as the database reader reads a file.
Pass RunLayout(const std::string& document, bool pieces, std::string* out = nullptr) {
  LefLayout layout;
  Pass pass;
  const char* begin = document.data();
  const char* end = begin + document.size();
  const auto emit = [&](std::string_view line) {
    ++pass.lines;
    pass.bytes += line.size();
    if (line.data() < begin || line.data() >= end) ++pass.copied;
    if (out) out->append(line).append(kCrLf);
    return true;
  };
  const auto take = [&](std::string_view line) { return layout.Line(line, emit); };
  if (pieces) {
    LineJoiner joiner;
    for (size_t at = 0; at < document.size(); at += kPieceSize)
      joiner.Feed(std::string_view(document).substr(at, kPieceSize), take);
    joiner.Finish(take);
  } else {
    ForEachLine(document, take);
  }
  layout.Finish(emit);
  pass.changed = layout.Changed();
  pass.rootLine = layout.RootLine();
  return pass;
}

size_t CountLines(const std::string& document) {
  size_t lines = 0;
  ForEachLine(document, [&](std::string_view) { return ++lines, true; });
  return lines;
}

void Row(const char* stage, size_t bytes, double seconds, const std::string& note) {
  std::printf("| %s | %.1f ms | %.0f MB/s | %s |\n", stage, seconds * 1000,
              static_cast<double>(bytes) / seconds / 1e6, note.c_str());
}

void Check(bool holds, const char* what) {
  if (!holds) throw std::runtime_error(what);
}

void TimeDocument(const char* name, const std::string& document, int runs) {
  std::string laidOut;
  const Pass pass = RunLayout(document, false, &laidOut);
  Check(WithoutWhitespace(laidOut) == WithoutWhitespace(document),
        "the layout dropped or moved a byte other than whitespace");
  const size_t inLines = CountLines(document);
  std::printf(
      "\n%s: %.1f MB in %zu lines; laid out: %zu lines, %zu made anew, changed: %s, "
      "root start tag on line %zu\n\n",
      name, static_cast<double>(document.size()) / 1e6, inLines, pass.lines, pass.copied,
      pass.changed ? "yes" : "no", pass.rootLine);
  std::printf("| stage | best of %d | throughput | |\n|---|---|---|---|\n", runs);
  const size_t size = document.size();
  Row("lines alone (ForEachLine)", size, BestOf(runs, {}, [&] { return CountLines(document) > 0; }),
      "the floor");
  Row("lines + layout", size, BestOf(runs, {}, [&] { return RunLayout(document, false).lines; }),
      "");
  Row("64 KB pieces + LineJoiner + layout", size,
      BestOf(runs, {}, [&] { return RunLayout(document, true).lines; }), "as ReadClubs reads");
  Row("tag balance check (CheckTagBalance)", size,
      BestOf(runs, {}, [&] { return CheckTagBalance(document).kind == TagBalance::Balanced; }), "");
}

}  // namespace
}  // namespace rostrel::bench

int main(int argc, char** argv) {
  using namespace rostrel::bench;
  if (argc < 2) {
    std::fprintf(stderr, "usage: rostrel_layout_bench LEF_FILE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
  try {
    const std::string document = ReadAll(argv[1]);
    TimeDocument("One element per line, as generated", document, runs);
    TimeDocument("On one line after the declaration", OnOneLine(document), runs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rostrel_layout_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
