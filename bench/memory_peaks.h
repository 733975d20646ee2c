#pragma once

#include <string>

#include "bench/stages.h"

namespace rostrel::bench {

// Runs this program again as a child for each peak of resident memory (the open and the paste
// alone; the window's whole session unless the table leaves the window out) and notes what the
// children print.
void MeasurePeaks(SetRun& s);

// A child process: the whole open and the whole paste, each with the peak of resident memory
// measured from a fresh start (the peak is reset between them where the kernel allows). Prints
// the resident memory at the start and both peaks.
int ChildMemory(const std::string& setDir, const std::string& work);

}  // namespace rostrel::bench
