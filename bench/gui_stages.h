#pragma once

#include <string>
#include <vector>

namespace rostrel::bench {

struct GuiTimes {
  double fill = -1;        // the window's own list filled with the display lines, laid out
  double transfer = -1;    // a click on ">>", lstOUT laid out
  double windowOpen = -1;  // a click on the open button: OpenDatabase and filling lstIN
  std::string how;         // what kind of list the window uses
};

// Makes the QApplication (offscreen unless QT_QPA_PLATFORM says otherwise), and ends it; it must
// end before main() returns.
void StartGui(int argc, char** argv);
void StopGui();

// Times the main window's lists: filling lstIN with `display`, the transfer to lstOUT, and the
// whole open through the window's button on `dbLxf` (a database in a folder without LEF files).
GuiTimes MeasureWindow(int runs, const std::vector<std::string>& display, const std::string& dbLxf);

// A child process: the program's whole session (main window, open, ">>", paste) on the files of
// one generated set. Prints the resident memory before opening and the peak after pasting.
int ChildSession(const std::string& setDir, const std::string& work);

}  // namespace rostrel::bench
