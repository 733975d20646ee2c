#pragma once

#include <functional>
#include <string>
#include <vector>

#include "athletes/open_action.h"
#include "bench/harness.h"
#include "bench/options.h"
#include "bench/results.h"
#include "entries/rewrite_entries.h"

namespace rostrel::bench {

// One data set's measurement as it goes from stage to stage: where it works, how often each
// stage runs, the stand-in user, the rows so far, and what earlier stages hand to later ones.
struct SetRun {
  SetRun(const Options& options, const DataSet& dataSet);
  std::string Dir(const std::string& sub) const { return work + "/" + sub; }

  const Options& opt;
  const DataSet set;
  const std::string work;  // emptied at the start, one folder per stage
  const int runs;          // how often each stage runs; the fastest counts
  FakePrompter prompter;
  Results r;

  // The floors that later rows are compared with.
  double freadDb = -1, unzipP = -1, unzipEntries = -1, freadNew = -1, zipQ = -1;
  std::string levelFlag;  // Info-ZIP's option for the level our archive matches, "-1"...

  // What one stage hands the next.
  std::vector<std::string> display;  // the athletes as lstIN shows them
  OpenOutcome opened;                // the last whole open, whose clubs section is pasted
  Rewrite rewrite;                   // the new entries document
  std::string newDoc;                // the new entries document's file
  std::string packLef, packTarget;   // the document packed, and the archive it was packed into
  double open = -1, paste = -1;
};

// The open, stage by stage: unpacking, reading the clubs section, parsing the athletes, the
// window's lists and the whole open.
void MeasureOpenStages(SetRun& s);

// The paste, stage by stage: unpacking, rewriting, writing, packing, replacing and the whole
// paste, whose result is checked once.
void MeasurePasteStages(SetRun& s);

// The Python anchor: open and paste as one zipfile script.
void MeasurePythonAnchor(SetRun& s);

// Times UnpackLxf on `lxf`, which sits alone in its folder; what each run unpacked is removed
// before the next one, untimed, as the program removes it after the reading.
double TimeUnpack(SetRun& s, const std::string& lxf);

// Times Info-ZIP's `unzip -p` on `lxf`: unpacking into a pipe, the floor of every unpacking.
double TimeUnzipToPipe(int runs, const std::string& lxf);

// The pauses are counted, not assumed: the same action is timed with a pause of 500 ms and of
// none, and the difference says how many pauses it took.
int CountPauses(const std::function<void()>& setup, const std::function<bool()>& action);

// Every stage on one data set, in the table's order.
Results Measure(const Options& opt, const DataSet& set);

}  // namespace rostrel::bench
