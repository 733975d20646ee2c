#include "athletes/read_clubs.h"

#include <array>
#include <cerrno>
#include <string_view>

#include "common/encoding.h"
#include "common/fileops.h"
#include "common/prompter.h"
#include "common/text.h"

namespace rostrel {
namespace {

// The first five characters of every line of the clubs section that is kept: clubs, their
// contacts, the athlete lists and the athletes' start and end tags.
constexpr std::array<std::string_view, 5> kKeptPrefixes = {"<CLUB", "<CONT", "<ATHL", "</ATH",
                                                           "</CLU"};
constexpr std::string_view kAthleteStart = "<ATHLETE ";

bool IsKept(std::string_view trimmed) {
  if (trimmed.size() < 5) return false;
  const std::string_view head = trimmed.substr(0, 5);
  for (const std::string_view prefix : kKeptPrefixes)
    if (head == prefix) return true;
  return false;
}

std::string ErrorDetails(const FileError& err) {
  return "Błąd " + std::to_string(err.code) + ": " + err.text;
}

void ShowReadFailure(Prompter& prompter, const std::string& path, const FileError& err) {
  ShowStop(prompter, "Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" + path + "\r\n" +
                         ErrorDetails(err));
}

// Deletes the unpacked document. A document that is already gone counts as deleted. When it
// stays, the user must remove it by hand: the next opening in that folder would refuse to start.
bool RemoveDocument(Prompter& prompter, const std::string& path) {
  FileError err;
  if (fileops::RemoveFile(path, err) || !fileops::Exists(path)) return true;
  ShowStop(prompter, "Nie udało się usunąć pliku LEF rozpakowanego z bazy zawodników:\r\n" + path +
                         "\r\nUsuń ten plik, zanim ponownie otworzysz bazę.\r\n" +
                         ErrorDetails(err));
  return false;
}

}  // namespace

std::string WrongVersionText() {
  return std::string(kWrongVersionMessage) + kInstructionsUrl + " ";
}

ClubsReading ReadClubsText(Prompter& prompter, std::string_view document) {
  ClubsReading reading;
  reading.kind = ClubsReading::Read;
  // The kept lines are rarely more than the document itself; reserving that much address space
  // up front spares a 30 MB database the copies of a growing string. Untouched pages of the
  // reservation cost no memory.
  reading.clubsText.reserve(document.size());
  size_t lineCount = 0;
  bool inSection = false;
  ForEachLine(document, [&](std::string_view line) {
    ++lineCount;
    if (lineCount == 1) reading.encoding = DeclaredEncoding(line);
    if (lineCount == 2 && line.find("2.0") == std::string_view::npos &&
        line.find("3.0") == std::string_view::npos) {
      reading.kind = ClubsReading::VersionFailure;
      return false;
    }
    const std::string_view trimmed = TrimSpaces(line);
    if (trimmed == "<CLUBS>") inSection = true;
    if (inSection && IsKept(trimmed)) {
      reading.clubsText.append(line);
      reading.clubsText.append(kCrLf);
      if (trimmed.substr(0, kAthleteStart.size()) == kAthleteStart)
        reading.athleteLines.emplace_back(line);
    }
    return trimmed != "</CLUBS>";
  });
  if (lineCount == 0) reading.encoding = DeclaredEncoding("");
  if (reading.kind == ClubsReading::VersionFailure) {
    reading.athleteLines.clear();
    prompter.message(WrongVersionText(), kAppTitle, Icon::Stop, Buttons::Ok);
  }
  return reading;
}

ClubsReading ReadClubs(Prompter& prompter, const std::string& documentPath) {
  std::string document;
  FileError err;
  ClubsReading reading;
  if (!fileops::ReadFile(documentPath, document, err)) {
    ShowReadFailure(prompter, documentPath, err);
    RemoveDocument(prompter, documentPath);
    reading.kind = ClubsReading::Failed;
    return reading;
  }
  reading = ReadClubsText(prompter, document);
  if (!RemoveDocument(prompter, documentPath)) {
    reading.kind = ClubsReading::Failed;
    reading.clubsText.clear();
    reading.athleteLines.clear();
  }
  return reading;
}

}  // namespace rostrel
