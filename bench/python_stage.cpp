#include <algorithm>
#include <stdexcept>

#include "bench/stages.h"

namespace rostrel::bench {
namespace {

struct PythonTimes {
  double inside = 1e9;  // as the script measures itself: the open and the paste
  double wall = 1e9;    // with the interpreter's start-up
};

// Runs the script on a fresh copy of the entries file, at most five times, and keeps the
// fastest run of each kind. `extra` goes after the two files (the deflate level to pack at).
PythonTimes RunPython(const SetRun& s, const std::vector<std::string>& extra) {
  const std::string pyEntries = s.Dir("python/zgloszenie.lxf");
  PythonTimes best;
  for (int i = 0; i < std::min(s.runs, 5); ++i) {
    CopyOver(s.set.entriesLxf(), pyEntries);
    std::vector<std::string> argv = {"python3", s.opt.python, s.set.dbLxf(), pyEntries};
    argv.insert(argv.end(), extra.begin(), extra.end());
    std::string out;
    const double took = RunProgram(argv, &out);
    if (took < 0) throw std::runtime_error("the Python anchor failed");
    best.wall = std::min(best.wall, took);
    best.inside = std::min(best.inside, std::stod(out));
  }
  return best;
}

}  // namespace

void MeasurePythonAnchor(SetRun& s) {
  const PythonTimes own = RunPython(s, {});
  const std::string level = std::to_string(s.r.packLevel);
  const PythonTimes same = RunPython(s, {level});
  s.r.rows.push_back({"open + paste (OpenDatabase + PasteEntries)", s.open + s.paste,
                      "Python zipfile script", own.inside});
  s.r.rows.push_back({"  (Python script with the interpreter's start-up)", own.wall, "", -1});
  s.r.rows.push_back({"  (the same, Python packing at our level " + level + ")", s.open + s.paste,
                      "Python script at that level", same.inside});
}

}  // namespace rostrel::bench
