#include "bench/profile.h"

#include <chrono>
#include <filesystem>
#include <iostream>

#include "archive/shell_zip.h"
#include "archive/unpack_lxf.h"
#include "athletes/open_action.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "bench/harness.h"
#include "common/encoding.h"

namespace rostrel::bench {
namespace {

// One run of a stage: 0 when it did its work, 1 when it failed, 2 for an unknown stage.
int RunStage(const std::string& stage, const std::string& setDir, const std::string& work,
             FakePrompter& prompter, const std::string& document, const ClubsReading& reading) {
  if (stage == "readclubs") {
    CopyOver(setDir + "/lef/baza.lef", work + "/baza.lef");
    return ReadClubs(prompter, work + "/baza.lef").kind == ClubsReading::Read ? 0 : 1;
  }
  if (stage == "readclubstext")
    return ReadClubsText(prompter, document).kind == ClubsReading::Read ? 0 : 1;
  if (stage == "convert") {
    std::string out, error;
    return ConvertText(reading.clubs.text, reading.clubs.encoding, "Windows-1250", out, error) ? 0
                                                                                               : 1;
  }
  if (stage == "parse")
    return ParseAthletes(reading.athleteLines, reading.clubs.encoding).empty() ? 1 : 0;
  if (stage == "unpack") {
    CopyOver(setDir + "/baza.lxf", work + "/baza.lxf");
    UnpackedFiles unpacked;
    if (UnpackLxf(prompter, work + "/baza.lxf", unpacked).kind != UnpackResult::DocumentFound)
      return 1;
    unpacked.RemoveAll();
    RemoveLefFiles(work);
    return 0;
  }
  if (stage == "pack") {
    CopyOver(setDir + "/lef/baza.lef", work + "/baza.lef");
    RemoveIfThere(work + "/out.ZIP");
    return ShellZip(prompter, "ZIPFILE", work + "/baza.lef", work + "/out.ZIP") ? 0 : 1;
  }
  if (stage == "open") {
    CopyOver(setDir + "/baza.lxf", work + "/baza.lxf");
    FileDialogSettings comIN;
    prompter.picks = {work + "/baza.lxf"};
    return OpenDatabase(prompter, comIN).kind == OpenOutcome::AthletesFound ? 0 : 1;
  }
  std::cerr << "stages: readclubs readclubstext convert parse unpack pack open\n";
  return 2;
}

}  // namespace

int Profile(const std::string& stage, const std::string& setDir, const std::string& work,
            int repeat) {
  MakeCleanDir(work);
  SetShellZipPause(std::chrono::milliseconds(0));
  FakePrompter prompter;
  const std::string document = ReadAll(setDir + "/lef/baza.lef");
  const ClubsReading reading = ReadClubsText(prompter, document);
  for (int i = 0; i < repeat; ++i) {
    const int status = RunStage(stage, setDir, work, prompter, document, reading);
    if (status != 0) return status;
  }
  std::filesystem::remove_all(work);
  return 0;
}

}  // namespace rostrel::bench
