#include "bench/memory_peaks.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "archive/shell_zip.h"
#include "entries/paste_action.h"

namespace rostrel::bench {

void MeasurePeaks(SetRun& s) {
  std::string child;
  if (RunProgram({"/proc/self/exe", "--child-memory", s.set.dir, s.Dir("memory")}, &child) >= 0) {
    std::istringstream in(child);
    in >> s.r.baseline >> s.r.openPeak >> s.r.pastePeak;
  }
  if (s.opt.gui &&
      RunProgram({"/proc/self/exe", "--child-session", s.set.dir, s.Dir("memory")}, &child) >= 0) {
    std::istringstream in(child);
    in >> s.r.guiBaseline >> s.r.sessionPeak;
  }
}

int ChildMemory(const std::string& setDir, const std::string& work) {
  SetShellZipPause(std::chrono::milliseconds(0));
  const SessionFiles files = CopySessionFiles(setDir, work);
  FakePrompter prompter;
  const long long baseline = ResidentBytes();
  ResetPeakResident();
  FileDialogSettings comIN;
  prompter.picks = {files.database};
  OpenOutcome opened = OpenDatabase(prompter, comIN);
  const long long openPeak = PeakResidentBytes();
  if (opened.kind != OpenOutcome::AthletesFound) return 1;
  // What the window keeps after the open: DbFile, ClubsText and the list's lines.
  opened.displayLines.clear();
  opened.displayLines.shrink_to_fit();
  const bool reset = ResetPeakResident();
  prompter.picks = {files.entries};
  if (!PasteEntries(prompter, comIN, opened.dbFile, opened.clubs)) return 1;
  const long long pastePeak = reset ? PeakResidentBytes() : -1;
  std::cout << baseline << " " << openPeak << " " << pastePeak << std::endl;
  std::filesystem::remove_all(work);
  return 0;
}

}  // namespace rostrel::bench
