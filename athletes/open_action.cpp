#include "athletes/open_action.h"

#include <utility>

#include "archive/unpack.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"

namespace rostrel {

OpenOutcome OpenDatabase(Prompter& prompter, FileDialogSettings& comIN) {
  // The file name stays as the last use of the dialog left it.
  comIN.defaultExt = ".lxf";
  comIN.filter = "LXF (*.lxf)|*.lxf";
  comIN.filterIndex = 1;
  comIN.flags = kDialogExplorer | kDialogFileMustExist;
  prompter.showOpen(comIN);

  OpenOutcome outcome;
  if (comIN.fileName.empty()) {
    outcome.kind = OpenOutcome::NoPath;
    return outcome;
  }
  outcome.kind = OpenOutcome::Ended;
  outcome.dbFile = comIN.fileName;

  if (!DirectoryPreCheck(prompter, outcome.dbFile)) return outcome;
  const UnpackResult unpacked = UnpackLxf(prompter, outcome.dbFile);
  if (unpacked.kind != UnpackResult::DocumentFound) return outcome;

  ClubsReading reading = ReadClubs(prompter, unpacked.documentPath);
  if (reading.kind == ClubsReading::Failed) return outcome;
  outcome.clubsChanged = true;
  outcome.clubsText = std::move(reading.clubsText);
  outcome.clubsEncoding = std::move(reading.encoding);
  if (reading.kind == ClubsReading::VersionFailure) {
    outcome.kind = OpenOutcome::VersionFailure;
    return outcome;
  }
  if (reading.athleteLines.empty()) {
    ShowStop(prompter, kNoAthletesMessage);
    outcome.kind = OpenOutcome::NoAthletes;
    return outcome;
  }
  outcome.displayLines = ParseAthletes(reading.athleteLines, outcome.clubsEncoding);
  outcome.kind = OpenOutcome::AthletesFound;
  return outcome;
}

}  // namespace rostrel
