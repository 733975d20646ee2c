#include <chrono>
#include <cmath>
#include <filesystem>

#include "archive/shell_zip.h"
#include "archive/unpack_lxf.h"
#include "bench/memory_peaks.h"
#include "bench/stages.h"

namespace rostrel::bench {
namespace {

int RunsFor(int n) { return n >= 100000 ? 7 : n >= 10000 ? 15 : 30; }

}  // namespace

SetRun::SetRun(const Options& options, const DataSet& dataSet)
    : opt(options),
      set(dataSet),
      work(options.work + "/" + std::to_string(dataSet.n) + "-" + dataSet.encoding),
      runs(RunsFor(dataSet.n)) {
  r.set = dataSet;
}

double TimeUnpack(SetRun& s, const std::string& lxf) {
  const std::string dir = std::filesystem::path(lxf).parent_path().string();
  UnpackedFiles unpacked;
  const double took = BestOf(
      s.runs,
      [&] {
        unpacked.RemoveAll();
        RemoveLefFiles(dir);
      },
      [&] { return UnpackLxf(s.prompter, lxf, unpacked).kind == UnpackResult::DocumentFound; });
  unpacked.RemoveAll();
  RemoveLefFiles(dir);
  return took;
}

double TimeUnzipToPipe(int runs, const std::string& lxf) {
  return BestOf(runs, nullptr, [&] { return RunProgram({"unzip", "-p", lxf}) >= 0; });
}

int CountPauses(const std::function<void()>& setup, const std::function<bool()>& action) {
  constexpr auto kProbe = std::chrono::milliseconds(500);
  SetShellZipPause(std::chrono::milliseconds(0));
  const double without = BestOf(2, setup, action);
  SetShellZipPause(kProbe);
  const double with = BestOf(2, setup, action);
  SetShellZipPause(std::chrono::milliseconds(0));
  if (without < 0 || with < 0) return -1;
  return static_cast<int>(std::lround((with - without) / 0.5));
}

Results Measure(const Options& opt, const DataSet& set) {
  SetRun s(opt, set);
  MakeCleanDir(s.work);
  for (const char* sub : {"unpack", "unzip", "read", "open", "floor", "rewrite", "write", "pack",
                          "replace", "paste", "python", "entries"})
    std::filesystem::create_directories(s.Dir(sub));
  SetShellZipPause(std::chrono::milliseconds(0));

  s.r.dbBytes = FileSize(set.dbLef());
  s.r.dbLxfBytes = FileSize(set.dbLxf());
  s.r.entriesBytes = FileSize(set.entriesLef());

  MeasureOpenStages(s);
  MeasurePasteStages(s);
  MeasurePythonAnchor(s);
  MeasurePeaks(s);
  std::filesystem::remove_all(s.work);
  return std::move(s.r);
}

}  // namespace rostrel::bench
