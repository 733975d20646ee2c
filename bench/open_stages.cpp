#include "archive/shell_zip.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "bench/gui_stages.h"
#include "bench/stages.h"
#include "common/fileops.h"

namespace rostrel::bench {
namespace {

// The floors on the database: one fread of its document, and Info-ZIP unpacking it to a pipe.
void MeasureDatabaseFloors(SetRun& s) {
  s.freadDb = BestOf(s.runs, nullptr,
                     [&] { return FreadFile(s.set.dbLef(), static_cast<size_t>(s.r.dbBytes)); });
  s.unzipP = TimeUnzipToPipe(s.runs, s.set.dbLxf());
}

void MeasureUnpack(SetRun& s) {
  const std::string floor = s.Dir("floor");
  const double unzipDisk = BestOf(
      s.runs, [&] { RemoveLefFiles(floor); },
      [&] {
        return RunProgram({"unzip", "-o", "-q", s.set.dbLxf(), "-d", floor}) >= 0;
      });
  RemoveLefFiles(floor);

  const std::string unpackLxf = s.Dir("unpack/baza.lxf");
  CopyOver(s.set.dbLxf(), unpackLxf);
  const double unpack = TimeUnpack(s, unpackLxf);
  if (unpack < 0) Fail("UnpackLxf failed on the database", s.prompter);
  s.r.rows.push_back(
      {"unpacking the database (UnpackLxf: unzip, find)", unpack, "unzip -p", s.unzipP, 1.3});

  const std::string zipCopy = s.Dir("unzip/baza.lxf.zip");
  CopyOver(s.set.dbLxf(), zipCopy);
  const double unzipOnly = BestOf(
      s.runs, [&] { RemoveLefFiles(s.Dir("unzip")); },
      [&] { return ShellZip(s.prompter, "UNZIP", zipCopy, s.Dir("unzip") + "/"); });
  s.r.rows.push_back(
      {"  (the same unzipping through ShellZip \"UNZIP\")", unzipOnly, "unzip -p", s.unzipP});
  s.r.rows.push_back(
      {"  (Info-ZIP unpacking to disk, for comparison)", unzipDisk, "unzip -p", s.unzipP});
}

// Two references beside the floor: reading the bytes through one small reused buffer (nothing
// is kept, so no fresh memory is touched), and touching fresh memory as large as the document.
void MeasureReadingReferences(SetRun& s) {
  const double freadReused = BestOf(s.runs, nullptr, [&] { return FreadStream(s.set.dbLef()); });
  s.r.rows.push_back({"  (reference: fread through one reused 64 KB buffer, nothing kept)",
                      freadReused, "fread", s.freadDb});
  const double firstTouch =
      BestOf(s.runs, nullptr, [&] { return TouchFreshMemory(static_cast<size_t>(s.r.dbBytes)); });
  s.r.rows.push_back({"  (reference: first touch of fresh memory of the document's size)",
                      firstTouch, "fread", s.freadDb});
}

// ReadClubs taken apart: reading the file and the reading in memory; and the removal of the
// document after it, by its identity.
void MeasureReadingParts(SetRun& s, const std::string& readLef) {
  std::string loaded;
  FileError readErr;
  const double readFile = BestOf(
      s.runs, [&] { Drop(loaded); },
      [&] { return fileops::ReadFile(s.set.dbLef(), loaded, readErr); });
  Drop(loaded);
  s.r.rows.push_back(
      {"  of which reading the file (fileops::ReadFile)", readFile, "fread", s.freadDb});
  fileops::FileIdentity id;
  const double removeFile = BestOf(
      s.runs,
      [&] {
        CopyOver(s.set.dbLef(), readLef);
        fileops::IdentityOf(readLef, id);
      },
      [&] { return fileops::RemoveOwnFile(readLef, id, readErr); });
  const std::string dbDocument = ReadAll(s.set.dbLef());
  ClubsReading inMemory;
  const double readClubsText = BestOf(
      s.runs, [&] { Drop(inMemory); },
      [&] {
        inMemory = ReadClubsText(s.prompter, dbDocument);
        return inMemory.kind == ClubsReading::Read;
      });
  Drop(inMemory);
  s.r.rows.push_back(
      {"  of which the reading in memory (ReadClubsText)", readClubsText, "fread", s.freadDb});
  s.r.rows.push_back(
      {"deleting the document after it (fileops::RemoveOwnFile)", removeFile, "", -1});
}

ClubsReading MeasureReadClubs(SetRun& s) {
  const std::string readLef = s.Dir("read/baza.lef");
  ClubsReading reading;
  // Each setup drops the previous run's result, so that freeing it is not timed.
  const double readClubs = BestOf(
      s.runs,
      [&] {
        Drop(reading);
        CopyOver(s.set.dbLef(), readLef);
      },
      [&] {
        reading = ReadClubs(s.prompter, readLef);
        return reading.kind == ClubsReading::Read;
      });
  if (readClubs < 0) Fail("ReadClubs failed", s.prompter);
  s.r.rows.push_back(
      {"ReadClubs (read, keep the clubs section)", readClubs, "fread", s.freadDb, 3.0});
  MeasureReadingReferences(s);
  MeasureReadingParts(s, readLef);
  s.r.athletes = reading.athleteLines.size();
  if (s.r.athletes != static_cast<size_t>(s.set.n))
    Fail("ReadClubs found the wrong count", s.prompter);
  return reading;
}

void MeasureParse(SetRun& s, const ClubsReading& reading) {
  const double parse = BestOf(
      s.runs, [&] { Drop(s.display); },
      [&] {
        s.display = ParseAthletes(reading.athleteLines, reading.clubs.encoding);
        return s.display.size() == reading.athleteLines.size();
      });
  s.r.rows.push_back({"ParseAthletes with display decoding", parse, "", -1, 0, 0.050});
  // The generated names are all decodable: a replacement character means a decoding fault.
  for (const std::string& line : s.display)
    if (line.find("\xEF\xBF\xBD") != std::string::npos || line.find("&apos;") != std::string::npos)
      Fail("a display line was decoded wrongly: " + line, s.prompter);
}

// The window's lists, then the whole open: through OpenDatabase and through the window.
void MeasureOpen(SetRun& s) {
  const std::string openLxf = s.Dir("open/baza.lxf");
  CopyOver(s.set.dbLxf(), openLxf);
  GuiTimes gui;
  if (s.opt.gui) {
    gui = MeasureWindow(s.runs, s.display, openLxf);
    s.r.rows.push_back({"filling lstIN (" + gui.how + ")", gui.fill, "", -1, 0, 0.100});
    s.r.rows.push_back({"transfer >> to lstOUT", gui.transfer, "", -1, 0, 0.100});
  }
  const auto openOnce = [&] {
    FileDialogSettings comIN;
    s.prompter.picks = {openLxf};
    s.opened = OpenDatabase(s.prompter, comIN);
    return s.opened.kind == OpenOutcome::AthletesFound;
  };
  s.open = BestOf(
      s.runs, [&] { Drop(s.opened); }, openOnce);
  if (s.open < 0) Fail("OpenDatabase failed", s.prompter);
  const double floor = s.unzipP + s.freadDb;
  s.r.rows.push_back(
      {"whole open (OpenDatabase), pauses apart", s.open, "unzip -p + fread", floor, 0, 0.250});
  s.r.openPauses = CountPauses(nullptr, openOnce);
  if (s.opt.gui)
    s.r.rows.push_back({"whole open in the window (click, OpenDatabase, lstIN filled)",
                        gui.windowOpen, "unzip -p + fread", floor, 0, 0.250});
}

}  // namespace

void MeasureOpenStages(SetRun& s) {
  MeasureDatabaseFloors(s);
  MeasureUnpack(s);
  const ClubsReading reading = MeasureReadClubs(s);
  MeasureParse(s, reading);
  MeasureOpen(s);
}

}  // namespace rostrel::bench
