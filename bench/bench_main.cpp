// Times each stage of opening an athlete database and pasting it into an entries file on the
// generated LENEX files, beside the floors that bound each stage (Info-ZIP, a plain fread),
// and prints the table. Usage:
//   rostrel_bench GENERATED_DIR WORK_DIR [--python SCRIPT] [--counts 100,10000,100000]
//                 [--encodings cp1250,utf8] [--no-gui]
//   rostrel_bench --profile STAGE GENERATED_DIR/N/ENC WORK_DIR [REPEAT]
// GENERATED_DIR is what bench/generate.py wrote; WORK_DIR is emptied and used for the runs.

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/modlxf.h"
#include "archive/unpack.h"
#include "athletes/open_action.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "bench/gui_stages.h"
#include "bench/harness.h"
#include "common/encoding.h"
#include "common/fileops.h"
#include "entries/paste_action.h"
#include "entries/rewrite_entries.h"

namespace rostrel::bench {
namespace {

namespace fs = std::filesystem;

struct Options {
  std::string generated, work, python = "bench/python_anchor.py";
  std::vector<int> counts = {100, 10000, 100000};
  std::vector<std::string> encodings = {"cp1250", "utf8"};
  bool gui = true;
};

// One line of the table. A stage is checked against either a ratio to its floor or a time.
struct Row {
  std::string stage;
  double seconds = -1;
  std::string floorName;
  double floorSeconds = -1;
  double maxRatio = 0;    // target: seconds <= maxRatio * floor
  double maxSeconds = 0;  // target: seconds < maxSeconds
  double minSpeedup = 0;  // target: floor >= minSpeedup * seconds (the Python anchor)
};

struct DataSet {
  int n = 0;
  std::string encoding;
  std::string dir;  // generated files of this set
  std::string dbLxf() const { return dir + "/baza.lxf"; }
  std::string entriesLxf() const { return dir + "/zgloszenie.lxf"; }
  std::string dbLef() const { return dir + "/lef/baza.lef"; }
  std::string entriesLef() const { return dir + "/lef/zawody.lef"; }
};

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

// Frees what a previous run left in `x`, before the next run starts. (Assigning an empty value
// would not do: a string keeps its buffer when given a short one.)
template <class T>
void Drop(T& x) {
  T old(std::move(x));
}

int RunsFor(int n) { return n >= 100000 ? 7 : n >= 10000 ? 15 : 30; }

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

void Fail(const std::string& what, const ScriptedPrompter& prompter) {
  std::string text = what;
  for (const std::string& m : prompter.messages) text += "\n  message: " + m;
  throw std::runtime_error(text);
}

void RemoveLefFiles(const std::string& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string ext = e.path().extension().string();
    if (ext == ".lef" || ext == ".LEF") fs::remove(e.path());
  }
}

// The pauses are counted, not assumed: the same action is timed with a pause of 500 ms and of
// none, and the difference says how many pauses it took.
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
  Results r;
  r.set = set;
  const int runs = RunsFor(set.n);
  const std::string work = opt.work + "/" + std::to_string(set.n) + "-" + set.encoding;
  MakeCleanDir(work);
  for (const char* sub : {"unpack", "unzip", "read", "open", "floor", "rewrite", "write", "pack",
                          "replace", "paste", "python", "entries"})
    fs::create_directories(work + "/" + sub);
  ScriptedPrompter prompter;
  SetShellZipPause(std::chrono::milliseconds(0));

  r.dbBytes = FileSize(set.dbLef());
  r.dbLxfBytes = FileSize(set.dbLxf());
  r.entriesBytes = FileSize(set.entriesLef());

  // --- Floors on the database ---
  const double freadDb =
      BestOf(runs, nullptr, [&] { return FreadFile(set.dbLef(), static_cast<size_t>(r.dbBytes)); });
  const double unzipP = BestOf(runs, nullptr, [&] {
    return RunProgram({"unzip", "-p", set.dbLxf()}) >= 0;
  });
  const double unzipDisk = BestOf(
      runs, [&] { RemoveLefFiles(work + "/floor"); },
      [&] {
        return RunProgram({"unzip", "-o", "-q", set.dbLxf(), "-d", work + "/floor"}) >= 0;
      });
  RemoveLefFiles(work + "/floor");

  // --- Open, stage by stage ---
  const std::string unpackLxf = work + "/unpack/baza.lxf";
  CopyOver(set.dbLxf(), unpackLxf);
  // What a run unpacked is removed before the next one, untimed, as the program removes it
  // after the reading.
  UnpackedFiles unpackedFiles;
  const double unpack = BestOf(
      runs,
      [&] {
        unpackedFiles.RemoveAll();
        RemoveLefFiles(work + "/unpack");
      },
      [&] {
        return UnpackLxf(prompter, unpackLxf, unpackedFiles).kind == UnpackResult::DocumentFound;
      });
  unpackedFiles.RemoveAll();
  if (unpack < 0) Fail("UnpackLxf failed on the database", prompter);
  r.rows.push_back({"unpacking the database (UnpackLxf: copy, unzip, delete, find)", unpack,
                    "unzip -p", unzipP, 1.3});

  const std::string zipCopy = work + "/unzip/baza.lxf.zip";
  CopyOver(set.dbLxf(), zipCopy);
  const double unzipOnly = BestOf(
      runs, [&] { RemoveLefFiles(work + "/unzip"); },
      [&] { return ShellZip(prompter, "UNZIP", zipCopy, work + "/unzip/"); });
  r.rows.push_back({"  of which ShellZip \"UNZIP\"", unzipOnly, "unzip -p", unzipP});
  r.rows.push_back(
      {"  (Info-ZIP unpacking to disk, for comparison)", unzipDisk, "unzip -p", unzipP});

  const std::string readLef = work + "/read/baza.lef";
  ClubsReading reading;
  // Each setup drops the previous run's result, so that freeing it is not timed.
  const double readClubs = BestOf(
      runs,
      [&] {
        Drop(reading);
        CopyOver(set.dbLef(), readLef);
      },
      [&] {
        reading = ReadClubs(prompter, readLef);
        return reading.kind == ClubsReading::Read;
      });
  if (readClubs < 0) Fail("ReadClubs failed", prompter);
  r.rows.push_back(
      {"ReadClubs (read, keep the clubs section, delete)", readClubs, "fread", freadDb, 3.0});
  // Two references beside the floor: reading the bytes through one small reused buffer (nothing
  // is kept, so no fresh memory is touched), and touching fresh memory as large as the document.
  const double freadReused = BestOf(runs, nullptr, [&] { return FreadStream(set.dbLef()); });
  r.rows.push_back({"  (reference: fread through one reused 64 KB buffer, nothing kept)",
                    freadReused, "fread", freadDb});
  const double firstTouch =
      BestOf(runs, nullptr, [&] { return TouchFreshMemory(static_cast<size_t>(r.dbBytes)); });
  r.rows.push_back({"  (reference: first touch of fresh memory of the document's size)", firstTouch,
                    "fread", freadDb});
  std::string loaded;
  FileError readErr;
  const double readFile = BestOf(
      runs, [&] { Drop(loaded); }, [&] { return fileops::ReadFile(set.dbLef(), loaded, readErr); });
  Drop(loaded);
  r.rows.push_back({"  of which reading the file (fileops::ReadFile)", readFile, "fread", freadDb});
  const double removeFile = BestOf(
      runs, [&] { CopyOver(set.dbLef(), readLef); },
      [&] { return fileops::RemoveFile(readLef, readErr); });
  r.rows.push_back({"  of which deleting the document (fileops::RemoveFile)", removeFile, "", -1});
  const std::string dbDocument = ReadAll(set.dbLef());
  ClubsReading inMemory;
  const double readClubsText = BestOf(
      runs, [&] { Drop(inMemory); },
      [&] {
        inMemory = ReadClubsText(prompter, dbDocument);
        return inMemory.kind == ClubsReading::Read;
      });
  Drop(inMemory);
  r.rows.push_back(
      {"  of which the reading in memory (ReadClubsText)", readClubsText, "fread", freadDb});
  r.athletes = reading.athleteLines.size();
  if (r.athletes != static_cast<size_t>(set.n)) Fail("ReadClubs found the wrong count", prompter);

  std::vector<std::string> display;
  const double parse = BestOf(
      runs, [&] { Drop(display); },
      [&] {
        display = ParseAthletes(reading.athleteLines, reading.encoding);
        return display.size() == reading.athleteLines.size();
      });
  r.rows.push_back({"ParseAthletes with display decoding", parse, "", -1, 0, 0.050});
  // The generated names are all decodable: a replacement character means a decoding fault.
  for (const std::string& line : display)
    if (line.find("\xEF\xBF\xBD") != std::string::npos || line.find("&apos;") != std::string::npos)
      Fail("a display line was decoded wrongly: " + line, prompter);

  const std::string openLxf = work + "/open/baza.lxf";
  CopyOver(set.dbLxf(), openLxf);
  GuiTimes gui;
  if (opt.gui) {
    gui = MeasureWindow(runs, display, openLxf);
    r.rows.push_back({"filling lstIN (" + gui.how + ")", gui.fill, "", -1, 0, 0.100});
    r.rows.push_back({"transfer >> to lstOUT", gui.transfer, "", -1, 0, 0.100});
  }
  OpenOutcome opened;
  const auto openOnce = [&] {
    FileDialogSettings comIN;
    prompter.picks = {openLxf};
    opened = OpenDatabase(prompter, comIN);
    return opened.kind == OpenOutcome::AthletesFound;
  };
  const double open = BestOf(
      runs, [&] { Drop(opened); }, openOnce);
  if (open < 0) Fail("OpenDatabase failed", prompter);
  r.rows.push_back({"whole open (OpenDatabase), pauses apart", open, "unzip -p + fread",
                    unzipP + freadDb, 0, 0.250});
  r.openPauses = CountPauses(nullptr, openOnce);
  if (opt.gui)
    r.rows.push_back({"whole open in the window (click, OpenDatabase, lstIN filled)",
                      gui.windowOpen, "unzip -p + fread", unzipP + freadDb, 0, 0.250});

  // --- Paste, stage by stage ---
  const std::string entriesCopy = work + "/entries/zgloszenie.lxf";
  CopyOver(set.entriesLxf(), entriesCopy);
  const double unpackEntries = BestOf(
      runs,
      [&] {
        unpackedFiles.RemoveAll();
        RemoveLefFiles(work + "/entries");
      },
      [&] {
        return UnpackLxf(prompter, entriesCopy, unpackedFiles).kind == UnpackResult::DocumentFound;
      });
  unpackedFiles.RemoveAll();
  RemoveLefFiles(work + "/entries");
  const double unzipEntries = BestOf(runs, nullptr, [&] {
    return RunProgram({"unzip", "-p", set.entriesLxf()}) >= 0;
  });
  r.rows.push_back(
      {"unpacking the entries file (UnpackLxf)", unpackEntries, "unzip -p", unzipEntries});

  const std::string rewriteLef = work + "/rewrite/zawody.lef";
  CopyOver(set.entriesLef(), rewriteLef);
  Rewrite rewrite;
  const double rewriteTime = BestOf(
      runs, [&] { Drop(rewrite); },
      [&] {
        rewrite = RewriteEntries(prompter, rewriteLef, opened.clubsText, opened.clubsEncoding);
        return rewrite.kind == Rewrite::Rewritten;
      });
  if (rewriteTime < 0) Fail("RewriteEntries failed", prompter);
  r.newDocBytes = static_cast<long long>(rewrite.text.size());
  // The floor for rewriting is reading as many bytes as the new document holds.
  const std::string newDoc = work + "/floor/new.lef";
  WriteAll(newDoc, rewrite.text);
  const double freadNew =
      BestOf(runs, nullptr, [&] { return FreadFile(newDoc, rewrite.text.size()); });
  r.rows.push_back({"RewriteEntries (read, build the new document)", rewriteTime,
                    "fread of the new document's size", freadNew, 3.0});
  // A UTF-8 database pasted into a Windows-1250 entries file: the clubs section is converted.
  const std::string otherLef = set.dir + "/../cp1250/lef/zawody.lef";
  if (set.encoding == "utf8" && fs::exists(otherLef)) {
    const std::string convertLef = work + "/rewrite/zawody-1250.lef";
    CopyOver(otherLef, convertLef);
    Rewrite converted;
    const double convertTime = BestOf(
        runs, [&] { Drop(converted); },
        [&] {
          converted = RewriteEntries(prompter, convertLef, opened.clubsText, opened.clubsEncoding);
          return converted.kind == Rewrite::Rewritten;
        });
    if (convertTime < 0) Fail("RewriteEntries failed to convert into Windows-1250", prompter);
    r.rows.push_back({"  (the same into a Windows-1250 entries file: converting the clubs)",
                      convertTime, "fread of the new document's size", freadNew});
  }

  const std::string writeLef = work + "/write/zawody.lef";
  FileError err;
  const double writeTime =
      BestOf(runs, nullptr, [&] { return fileops::WriteFile(writeLef, rewrite.text, err); });
  const double fwriteNew = BestOf(
      runs, nullptr, [&] { return FwriteSyncFile(work + "/floor/written.lef", rewrite.text); });
  r.rows.push_back({"writing the new document (fileops::WriteFile, with fsync)", writeTime,
                    "fwrite + fsync", fwriteNew});

  const std::string packLef = work + "/pack/zawody.lef";
  const std::string packTarget = work + "/pack/zgloszenie.lxf";
  CopyOver(newDoc, packLef);
  const double pack = BestOf(
      runs, [&] { RemoveIfThere(packTarget + ".ZIP"); },
      [&] { return ShellZip(prompter, "ZIPFILE", packLef, packTarget + ".ZIP"); });
  if (pack < 0) Fail("ShellZip ZIPFILE failed", prompter);
  r.packedBytes = FileSize(packTarget + ".ZIP");
  // The floor is Info-ZIP at the level our archive was packed with; the level is the one whose
  // archive comes closest in size to ours (both are deflate with zlib's level settings).
  const std::string zipFloor = work + "/pack/floor.zip";
  for (int level : {1, 6, 9}) {
    RemoveIfThere(zipFloor);
    RunProgram({"zip", "-q", "-" + std::to_string(level), "-j", zipFloor, packLef});
    r.zipSizes[level] = FileSize(zipFloor);
    if (r.packLevel == 0 || std::llabs(r.zipSizes[level] - r.packedBytes) <
                                std::llabs(r.zipSizes[r.packLevel] - r.packedBytes))
      r.packLevel = level;
  }
  const std::string levelFlag = "-" + std::to_string(r.packLevel);
  const double zipQ = BestOf(
      runs, [&] { RemoveIfThere(zipFloor); },
      [&] {
        return RunProgram({"zip", "-q", levelFlag, "-j", zipFloor, packLef}) >= 0;
      });
  RemoveIfThere(zipFloor);
  r.rows.push_back(
      {"packing (ShellZip \"ZIPFILE\", with fsync)", pack, "zip -q " + levelFlag, zipQ, 1.3});

  const std::string replaceFrom = work + "/replace/zgloszenie.lxf.ZIP";
  const std::string replaceTo = work + "/replace/zgloszenie.lxf";
  CopyOver(set.entriesLxf(), replaceTo);
  const double replace = BestOf(
      runs, [&] { CopyOver(packTarget + ".ZIP", replaceFrom); },
      [&] { return fileops::ReplaceFileAtomically(replaceFrom, replaceTo, err); });
  const double renameFloor = BestOf(
      runs, [&] { CopyOver(packTarget + ".ZIP", replaceFrom); },
      [&] { return std::rename(replaceFrom.c_str(), replaceTo.c_str()) == 0; });
  r.rows.push_back({"final replacement (fileops::ReplaceFile)", replace, "rename(2)", renameFloor});

  const std::string pasteLxf = work + "/paste/zgloszenie.lxf";
  const auto pasteSetup = [&] { CopyOver(set.entriesLxf(), pasteLxf); };
  const auto pasteOnce = [&] {
    FileDialogSettings comIN;
    prompter.picks = {pasteLxf};
    return PasteEntries(prompter, comIN, opened.dbFile, opened.clubsText, opened.clubsEncoding);
  };
  const double paste = BestOf(runs, pasteSetup, pasteOnce);
  if (paste < 0) Fail("PasteEntries failed", prompter);
  r.rows.push_back({"whole paste (PasteEntries), pauses apart", paste,
                    "unzip -p + fread + zip -q " + levelFlag, unzipEntries + freadNew + zipQ, 0,
                    0.300});
  r.pastePauses = CountPauses(pasteSetup, pasteOnce);

  // The paste must have produced the rewritten document, packed: check it once.
  std::string unpacked;
  if (RunProgram({"unzip", "-p", pasteLxf}, &unpacked) < 0 || unpacked != rewrite.text)
    Fail("the pasted entries file does not hold the rewritten document", prompter);

  // --- The Python anchor: open and paste as one zipfile script ---
  const std::string pyEntries = work + "/python/zgloszenie.lxf";
  const auto runPython = [&](const std::vector<std::string>& extra, double& inside, double& wall) {
    inside = wall = 1e9;
    for (int i = 0; i < std::min(runs, 5); ++i) {
      CopyOver(set.entriesLxf(), pyEntries);
      std::vector<std::string> argv = {"python3", opt.python, set.dbLxf(), pyEntries};
      argv.insert(argv.end(), extra.begin(), extra.end());
      std::string out;
      const double took = RunProgram(argv, &out);
      if (took < 0) throw std::runtime_error("the Python anchor failed");
      wall = std::min(wall, took);
      inside = std::min(inside, std::stod(out));
    }
  };
  double pythonInside, pythonWall, pythonSameInside, pythonSameWall;
  runPython({}, pythonInside, pythonWall);
  runPython({std::to_string(r.packLevel)}, pythonSameInside, pythonSameWall);
  r.rows.push_back({"open + paste (OpenDatabase + PasteEntries)", open + paste,
                    "Python zipfile script", pythonInside, 0, 0, 5.0});
  r.rows.push_back({"  (Python script with the interpreter's start-up)", pythonWall, "", -1});
  r.rows.push_back({"  (the same, Python packing at our level " + std::to_string(r.packLevel) + ")",
                    open + paste, "Python script at that level", pythonSameInside});

  // --- Peak memory, each in a fresh process ---
  std::string child;
  if (RunProgram({"/proc/self/exe", "--child-memory", set.dir, work + "/memory"}, &child) >= 0) {
    std::istringstream in(child);
    in >> r.baseline >> r.openPeak >> r.pastePeak;
  }
  if (opt.gui &&
      RunProgram({"/proc/self/exe", "--child-session", set.dir, work + "/memory"}, &child) >= 0) {
    std::istringstream in(child);
    in >> r.guiBaseline >> r.sessionPeak;
  }
  fs::remove_all(work);
  return r;
}

// A child process: the whole open and the whole paste, each with the peak of resident memory
// measured from a fresh start (the peak is reset between them where the kernel allows).
int ChildMemory(const std::string& setDir, const std::string& work) {
  MakeCleanDir(work);
  SetShellZipPause(std::chrono::milliseconds(0));
  CopyOver(setDir + "/baza.lxf", work + "/baza.lxf");
  fs::create_directories(work + "/paste");
  CopyOver(setDir + "/zgloszenie.lxf", work + "/paste/zgloszenie.lxf");
  ScriptedPrompter prompter;
  const long long baseline = ResidentBytes();
  ResetPeakResident();
  FileDialogSettings comIN;
  prompter.picks = {work + "/baza.lxf"};
  OpenOutcome opened = OpenDatabase(prompter, comIN);
  const long long openPeak = PeakResidentBytes();
  if (opened.kind != OpenOutcome::AthletesFound) return 1;
  // What the window keeps after the open: DbFile, ClubsText and the list's lines.
  opened.displayLines.clear();
  opened.displayLines.shrink_to_fit();
  const bool reset = ResetPeakResident();
  prompter.picks = {work + "/paste/zgloszenie.lxf"};
  if (!PasteEntries(prompter, comIN, opened.dbFile, opened.clubsText, opened.clubsEncoding))
    return 1;
  const long long pastePeak = reset ? PeakResidentBytes() : -1;
  std::cout << baseline << " " << openPeak << " " << pastePeak << std::endl;
  fs::remove_all(work);
  return 0;
}

// Runs one stage over and over for a profiler (perf record, valgrind --tool=callgrind).
int Profile(const std::string& stage, const std::string& setDir, const std::string& work,
            int repeat) {
  MakeCleanDir(work);
  SetShellZipPause(std::chrono::milliseconds(0));
  ScriptedPrompter prompter;
  const std::string document = ReadAll(setDir + "/lef/baza.lef");
  const ClubsReading reading = ReadClubsText(prompter, document);
  for (int i = 0; i < repeat; ++i) {
    if (stage == "readclubs") {
      CopyOver(setDir + "/lef/baza.lef", work + "/baza.lef");
      if (ReadClubs(prompter, work + "/baza.lef").kind != ClubsReading::Read) return 1;
    } else if (stage == "readclubstext") {
      if (ReadClubsText(prompter, document).kind != ClubsReading::Read) return 1;
    } else if (stage == "convert") {
      std::string out, error;
      if (!ConvertText(reading.clubsText, reading.encoding, "Windows-1250", out, error)) return 1;
    } else if (stage == "parse") {
      if (ParseAthletes(reading.athleteLines, reading.encoding).empty()) return 1;
    } else if (stage == "unpack") {
      CopyOver(setDir + "/baza.lxf", work + "/baza.lxf");
      UnpackedFiles unpacked;
      if (UnpackLxf(prompter, work + "/baza.lxf", unpacked).kind != UnpackResult::DocumentFound)
        return 1;
      unpacked.RemoveAll();
      RemoveLefFiles(work);
    } else if (stage == "pack") {
      CopyOver(setDir + "/lef/baza.lef", work + "/baza.lef");
      RemoveIfThere(work + "/out.ZIP");
      if (!ShellZip(prompter, "ZIPFILE", work + "/baza.lef", work + "/out.ZIP")) return 1;
    } else if (stage == "open") {
      CopyOver(setDir + "/baza.lxf", work + "/baza.lxf");
      FileDialogSettings comIN;
      prompter.picks = {work + "/baza.lxf"};
      if (OpenDatabase(prompter, comIN).kind != OpenOutcome::AthletesFound) return 1;
    } else {
      std::cerr << "stages: readclubs readclubstext convert parse unpack pack open\n";
      return 2;
    }
  }
  fs::remove_all(work);
  return 0;
}

std::string Verdict(const Row& row) {
  if (row.seconds < 0) return "failed";
  if (row.maxRatio > 0 && row.floorSeconds > 0)
    return row.seconds <= row.maxRatio * row.floorSeconds ? "met" : "MISSED";
  if (row.maxSeconds > 0) return row.seconds < row.maxSeconds ? "met" : "MISSED";
  if (row.minSpeedup > 0 && row.floorSeconds > 0)
    return row.floorSeconds >= row.minSpeedup * row.seconds ? "met" : "MISSED";
  return "";
}

std::string Target(const Row& row) {
  char buf[48];
  if (row.maxRatio > 0)
    std::snprintf(buf, sizeof buf, "≤ %.1f × floor", row.maxRatio);
  else if (row.maxSeconds > 0)
    std::snprintf(buf, sizeof buf, "< %.0f ms", row.maxSeconds * 1000);
  else if (row.minSpeedup > 0)
    std::snprintf(buf, sizeof buf, "≥ %.0f × faster", row.minSpeedup);
  else
    return "";
  return buf;
}

void Print(const Results& r) {
  const std::string enc = r.set.encoding == "cp1250" ? "Windows-1250" : "UTF-8";
  std::printf("\n### N = %d athletes, %s\n\n", r.set.n, enc.c_str());
  std::printf(
      "Database document %s (LXF %s); entries document %s; new entries document %s. "
      "Packed by ShellZip: %s, which matches deflate level %d (Info-ZIP: level 1 %s, "
      "level 6 %s, level 9 %s).\n\n",
      Mb(r.dbBytes).c_str(), Mb(r.dbLxfBytes).c_str(), Mb(r.entriesBytes).c_str(),
      Mb(r.newDocBytes).c_str(), Mb(r.packedBytes).c_str(), r.packLevel,
      Mb(r.zipSizes.at(1)).c_str(), Mb(r.zipSizes.at(6)).c_str(), Mb(r.zipSizes.at(9)).c_str());
  std::printf("| stage | time | floor | floor time | ratio | target | |\n");
  std::printf("|---|---:|---|---:|---:|---|---|\n");
  for (const Row& row : r.rows) {
    std::string ratio;
    if (row.seconds > 0 && row.floorSeconds > 0) {
      char buf[32];
      if (row.minSpeedup > 0 || row.floorName.rfind("Python", 0) == 0)
        std::snprintf(buf, sizeof buf, "%.2f × faster", row.floorSeconds / row.seconds);
      else
        std::snprintf(buf, sizeof buf, "%.2f", row.seconds / row.floorSeconds);
      ratio = buf;
    }
    // The targets are set for the federation-wide database; smaller ones only show the trend.
    const bool judged = r.set.n >= 100000;
    std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", row.stage.c_str(),
                Ms(row.seconds).c_str(), row.floorName.c_str(),
                row.floorSeconds >= 0 ? Ms(row.floorSeconds).c_str() : "", ratio.c_str(),
                judged ? Target(row).c_str() : "", judged ? Verdict(row).c_str() : "");
  }
  std::printf(
      "\nShellZip pauses (1 s each in the program, not in the figures above): "
      "open %d, paste %d.\n",
      r.openPauses, r.pastePauses);
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
  std::fflush(stdout);
}

// How each stage grows from one size to the next, against the growth of the document.
void PrintScaling(const std::vector<Results>& all) {
  for (const Results& big : all) {
    for (const Results& small : all) {
      if (small.set.encoding != big.set.encoding || small.set.n * 10 != big.set.n ||
          small.set.n < 10000)
        continue;
      const std::string enc = big.set.encoding == "cp1250" ? "Windows-1250" : "UTF-8";
      const double growth = static_cast<double>(big.dbBytes) / static_cast<double>(small.dbBytes);
      std::printf("\n### Scaling, N = %d against N = %d, %s (the document grows %.2f ×)\n\n",
                  big.set.n, small.set.n, enc.c_str(), growth);
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
  }
}

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> parts;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, ',')) parts.push_back(part);
  return parts;
}

}  // namespace
}  // namespace rostrel::bench

int main(int argc, char** argv) {
  using namespace rostrel::bench;
  // glibc serves large blocks from fresh mappings only until the first one is freed; after that
  // it raises its threshold (up to 32 MB) and reuses memory already touched. Repeated runs would
  // then time a 3 MB document in warm memory and a 30 MB one in fresh memory. A fixed threshold
  // gives every size what the program's first open gets: fresh memory.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  try {
    if (argc == 4 && std::string(argv[1]) == "--child-memory") return ChildMemory(argv[2], argv[3]);
    if (argc == 4 && std::string(argv[1]) == "--child-session") {
      StartGui(argc, argv);
      const int status = ChildSession(argv[2], argv[3]);
      StopGui();
      return status;
    }
    if (argc >= 5 && std::string(argv[1]) == "--profile")
      return Profile(argv[2], argv[3], argv[4], argc > 5 ? std::stoi(argv[5]) : 10);
    if (argc < 3) {
      std::cerr << "usage: rostrel_bench GENERATED_DIR WORK_DIR [--python SCRIPT] "
                   "[--counts 100,10000,100000] [--encodings cp1250,utf8] [--no-gui]\n";
      return 2;
    }
    Options opt;
    opt.generated = argv[1];
    opt.work = argv[2];
    for (int i = 3; i < argc; ++i) {
      const std::string a = argv[i];
      if (a == "--python" && i + 1 < argc)
        opt.python = argv[++i];
      else if (a == "--counts" && i + 1 < argc) {
        opt.counts.clear();
        for (const std::string& c : Split(argv[++i])) opt.counts.push_back(std::stoi(c));
      } else if (a == "--encodings" && i + 1 < argc)
        opt.encodings = Split(argv[++i]);
      else if (a == "--no-gui")
        opt.gui = false;
      else
        throw std::runtime_error("unknown option " + a);
    }
    if (opt.gui) StartGui(argc, argv);
    std::vector<Results> all;
    for (int n : opt.counts) {
      for (const std::string& enc : opt.encodings) {
        DataSet set{n, enc, opt.generated + "/" + std::to_string(n) + "/" + enc};
        all.push_back(Measure(opt, set));
        Print(all.back());
      }
    }
    PrintScaling(all);
    StopGui();
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "benchmark failed: " << e.what() << "\n";
    StopGui();
    return 1;
  }
}
