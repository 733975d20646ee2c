#include "bench/report.h"

#include <cstdio>
#include <string>

namespace rostrel::bench {
namespace {

std::string Ms(double s) {
  if (s < 0) return "failed";
  char buf[32];
  std::snprintf(buf, sizeof buf, s < 0.01 ? "%.3f ms" : "%.1f ms", s * 1000);
  return buf;
}

std::string Mb(long long bytes) {
  char buf[32];
  if (bytes < 1000000)
    std::snprintf(buf, sizeof buf, "%.1f kB", static_cast<double>(bytes) / 1e3);
  else
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return buf;
}

std::string EncodingName(const DataSet& set) {
  return set.encoding == "cp1250" ? "Windows-1250" : "UTF-8";
}

std::string Verdict(const Row& row) {
  if (row.seconds < 0) return "failed";
  if (row.maxRatio > 0 && row.floorSeconds > 0)
    return row.seconds <= row.maxRatio * row.floorSeconds ? "met" : "MISSED";
  if (row.maxSeconds > 0) return row.seconds < row.maxSeconds ? "met" : "MISSED";
  return "";
}

std::string Target(const Row& row) {
  char buf[48];
  if (row.maxRatio > 0)
    std::snprintf(buf, sizeof buf, "≤ %.1f × floor", row.maxRatio);
  else if (row.maxSeconds > 0)
    std::snprintf(buf, sizeof buf, "< %.0f ms", row.maxSeconds * 1000);
  else
    return "";
  return buf;
}

// The time against the floor: a plain ratio, or how many times faster than the Python anchor,
// which is a comparison with no target of its own.
std::string Ratio(const Row& row) {
  if (row.seconds <= 0 || row.floorSeconds <= 0) return "";
  char buf[32];
  if (row.floorName.rfind("Python", 0) == 0)
    std::snprintf(buf, sizeof buf, "%.2f × faster", row.floorSeconds / row.seconds);
  else
    std::snprintf(buf, sizeof buf, "%.2f", row.seconds / row.floorSeconds);
  return buf;
}

void PrintSizes(const Results& r) {
  std::printf("\n### N = %d athletes, %s\n\n", r.set.n, EncodingName(r.set).c_str());
  std::printf(
      "Database document %s (LXF %s); entries document %s; new entries document %s. "
      "Packed by ShellZip: %s, which matches deflate level %d (Info-ZIP: level 1 %s, "
      "level 6 %s, level 9 %s).\n\n",
      Mb(r.dbBytes).c_str(), Mb(r.dbLxfBytes).c_str(), Mb(r.entriesBytes).c_str(),
      Mb(r.newDocBytes).c_str(), Mb(r.packedBytes).c_str(), r.packLevel,
      Mb(r.zipSizes.at(1)).c_str(), Mb(r.zipSizes.at(6)).c_str(), Mb(r.zipSizes.at(9)).c_str());
}

void PrintRows(const Results& r) {
  std::printf("| stage | time | floor | floor time | ratio | target | |\n");
  std::printf("|---|---:|---|---:|---:|---|---|\n");
  // The targets are set for the federation-wide database; smaller ones only show the trend.
  const bool judged = r.set.n >= 100000;
  for (const Row& row : r.rows) {
    std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", row.stage.c_str(),
                Ms(row.seconds).c_str(), row.floorName.c_str(),
                row.floorSeconds >= 0 ? Ms(row.floorSeconds).c_str() : "", Ratio(row).c_str(),
                judged ? Target(row).c_str() : "", judged ? Verdict(row).c_str() : "");
  }
}

void PrintPeaks(const Results& r) {
  const auto times = [&](long long bytes) {
    return static_cast<double>(bytes) / static_cast<double>(r.dbBytes);
  };
  if (r.openPeak > 0) {
    std::printf(
        "Peak resident memory, each in a fresh process that holds %s before it starts: "
        "whole open %s (%.2f × the document; %.2f × above the start), whole paste %s "
        "(%.2f ×; %.2f × above the start). Target: under 3 × the document.\n",
        Mb(r.baseline).c_str(), Mb(r.openPeak).c_str(), times(r.openPeak),
        times(r.openPeak - r.baseline), r.pastePeak > 0 ? Mb(r.pastePeak).c_str() : "n/a",
        times(r.pastePeak), times(r.pastePeak - r.baseline));
  }
  if (r.sessionPeak > 0) {
    std::printf(
        "Peak resident memory of the program's whole session (main window, open, >>, "
        "paste): %s (%.2f × the document), of which %s before opening (Qt and the "
        "windows); %.2f × the document above that.\n",
        Mb(r.sessionPeak).c_str(), times(r.sessionPeak), Mb(r.guiBaseline).c_str(),
        times(r.sessionPeak - r.guiBaseline));
  }
}

void PrintScalingTable(const Results& small, const Results& big) {
  const double growth = static_cast<double>(big.dbBytes) / static_cast<double>(small.dbBytes);
  std::printf("\n### Scaling, N = %d against N = %d, %s (the document grows %.2f ×)\n\n", big.set.n,
              small.set.n, EncodingName(big.set).c_str(), growth);
  std::printf(
      "| stage | N = %d | N = %d | growth | its floor's growth |\n"
      "|---|---:|---:|---:|---:|\n",
      small.set.n, big.set.n);
  for (size_t i = 0; i < big.rows.size() && i < small.rows.size(); ++i) {
    const Row& a = small.rows[i];
    const Row& b = big.rows[i];
    if (a.seconds <= 0 || b.seconds <= 0) continue;
    std::string floorGrowth;
    if (a.floorSeconds > 0 && b.floorSeconds > 0) {
      char buf[128];
      std::snprintf(buf, sizeof buf, "%.2f × (%s)", b.floorSeconds / a.floorSeconds,
                    b.floorName.c_str());
      floorGrowth = buf;
    }
    std::printf("| %s | %s | %s | %.2f × | %s |\n", b.stage.c_str(), Ms(a.seconds).c_str(),
                Ms(b.seconds).c_str(), b.seconds / a.seconds, floorGrowth.c_str());
  }
}

}  // namespace

void Print(const Results& r) {
  PrintSizes(r);
  PrintRows(r);
  std::printf(
      "\nShellZip pauses (1 s each in the program, not in the figures above): "
      "open %d, paste %d.\n",
      r.openPauses, r.pastePauses);
  PrintPeaks(r);
  std::fflush(stdout);
}

void PrintScaling(const std::vector<Results>& all) {
  for (const Results& big : all) {
    for (const Results& small : all) {
      if (small.set.encoding != big.set.encoding || small.set.n * 10 != big.set.n ||
          small.set.n < 10000)
        continue;
      PrintScalingTable(small, big);
    }
  }
}

}  // namespace rostrel::bench
