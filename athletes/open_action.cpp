#include "athletes/open_action.h"

#include <utility>

#include "archive/unpack_lxf.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "common/encoding.h"
#include "common/lef_document.h"

namespace rostrel {
namespace {

// Unpacks the chosen database beside itself, reads its clubs section and parses its athletes
// into `outcome`. What the unpacking wrote is left in `unpacked` for the caller to remove.
void ReadDatabase(Prompter& prompter, OpenOutcome& outcome, UnpackedFiles& unpacked) {
  if (!DirectoryPreCheck(prompter, outcome.dbFile)) return;
  const UnpackResult unpackResult = UnpackLxf(prompter, outcome.dbFile, unpacked);
  if (unpackResult.kind != UnpackResult::DocumentFound) return;

  ClubsReading reading = ReadClubs(prompter, unpackResult.documentPath);
  // The document goes as soon as it has been read, whatever the reading found. One that stays
  // would make the next opening in that folder refuse to start.
  FileError err;
  if (!unpacked.Remove(unpackResult.documentPath, err)) {
    ShowStop(prompter, "Nie udało się usunąć pliku LEF rozpakowanego z bazy zawodników:\r\n" +
                           unpackResult.documentPath +
                           "\r\nUsuń ten plik, zanim ponownie otworzysz bazę.\r\n" +
                           DescribeWithCode(err));
    return;
  }
  if (reading.kind == ClubsReading::Failed) return;
  if (reading.kind == ClubsReading::Damaged) {
    ShowStop(prompter,
             DamagedDocumentText(LefFile::Database, outcome.dbFile, reading.clubs.balance));
    return;
  }
  // Its names would show garbled, and the paste would refuse it anyway.
  if (reading.kind == ClubsReading::Read && !IsSupportedEncoding(reading.clubs.encoding)) {
    ShowStop(prompter, "Baza zawodników jest w kodowaniu znaków " + reading.clubs.encoding +
                           ", którego program nie obsługuje. Otwórz bazę w programie, w którym ją "
                           "utworzono, zapisz ją ponownie w kodowaniu UTF-8 lub Windows-1250 i "
                           "otwórz ją tutaj jeszcze raz.");
    return;
  }
  outcome.clubsChanged = true;
  outcome.clubs = std::move(reading.clubs);
  if (reading.kind == ClubsReading::VersionFailure) {
    outcome.kind = OpenOutcome::VersionFailure;
    return;
  }
  if (reading.athleteLines.empty()) {
    outcome.kind = OpenOutcome::NoAthletes;
    return;
  }
  outcome.displayLines = ParseAthletes(reading.athleteLines, outcome.clubs.encoding);
  outcome.kind = OpenOutcome::AthletesFound;
}

}  // namespace

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

  UnpackedFiles unpacked;
  RunGuarded([&] { ReadDatabase(prompter, outcome, unpacked); },
             [&](const std::string& what) {
               OpenOutcome ended;
               ended.dbFile = outcome.dbFile;
               outcome = std::move(ended);
               RemoveUnpacked(prompter, unpacked);
               ShowProgramError(prompter, what);
             });
  RemoveUnpacked(prompter, unpacked);
  if (outcome.kind == OpenOutcome::NoAthletes) ShowStop(prompter, kNoAthletesMessage);
  return outcome;
}

}  // namespace rostrel
