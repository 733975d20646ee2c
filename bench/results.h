#pragma once

#include <map>
#include <string>
#include <vector>

namespace rostrel::bench {

// One generated database and entries file, as bench/generate.py wrote them.
struct DataSet {
  int n = 0;
  std::string encoding;
  std::string dir;  // generated files of this set
  std::string dbLxf() const { return dir + "/baza.lxf"; }
  std::string entriesLxf() const { return dir + "/zgloszenie.lxf"; }
  std::string dbLef() const { return dir + "/lef/baza.lef"; }
  std::string entriesLef() const { return dir + "/lef/zawody.lef"; }
};

// One line of the table. A stage is checked against either a ratio to its floor or a time.
struct Row {
  std::string stage;
  double seconds = -1;
  std::string floorName;
  double floorSeconds = -1;
  double maxRatio = 0;    // target: seconds <= maxRatio * floor
  double maxSeconds = 0;  // target: seconds < maxSeconds
};

// Everything measured on one data set: the sizes, the table's rows in order, the pauses and the
// peaks of resident memory (-1 where not measured).
struct Results {
  DataSet set;
  long long dbBytes = 0, dbLxfBytes = 0, entriesBytes = 0, newDocBytes = 0, packedBytes = 0;
  int packLevel = 0;                  // the deflate level our archive matches
  std::map<int, long long> zipSizes;  // Info-ZIP's archive of the new document, by level
  size_t athletes = 0;
  std::vector<Row> rows;
  int openPauses = -1, pastePauses = -1;
  long long openPeak = -1, pastePeak = -1, sessionPeak = -1, baseline = -1, guiBaseline = -1;
  std::string peakNote;
};

}  // namespace rostrel::bench
