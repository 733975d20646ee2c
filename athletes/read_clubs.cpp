#include "athletes/read_clubs.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <utility>

#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_document.h"
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

void ShowReadFailure(Prompter& prompter, const std::string& path, const FileError& err) {
  ShowStop(prompter, "Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" + path + "\r\n" +
                         DescribeWithCode(err));
}

// Deletes the unpacked document. A document that is already gone counts as deleted. When it
// stays, the user must remove it by hand: the next opening in that folder would refuse to start.
bool RemoveDocument(Prompter& prompter, const std::string& path) {
  FileError err;
  if (fileops::RemoveFile(path, err) || !fileops::Exists(path)) return true;
  ShowStop(prompter, "Nie udało się usunąć pliku LEF rozpakowanego z bazy zawodników:\r\n" + path +
                         "\r\nUsuń ten plik, zanim ponownie otworzysz bazę.\r\n" +
                         DescribeWithCode(err));
  return false;
}

}  // namespace

namespace {

// Reads a database document line by line, keeping what its clubs section holds.
class ClubsReader {
 public:
  explicit ClubsReader(size_t documentSize) {
    reading_.kind = ClubsReading::Read;
    // The kept lines are rarely more than the document itself; reserving that much address
    // space up front spares a 30 MB database the copies of a growing string. Untouched pages of
    // the reservation cost no memory.
    reading_.clubsText.reserve(documentSize);
  }

  // Takes the next line; false when the reading is over.
  bool Line(std::string_view line) {
    ++lineCount_;
    if (lineCount_ == 1) reading_.encoding = DeclaredEncoding(line);
    if (lineCount_ == 2 && !NamesLenexVersion(line)) {
      reading_.kind = ClubsReading::VersionFailure;
      return false;
    }
    const std::string_view trimmed = Recognised(line);
    if (trimmed == "<CLUBS>") inSection_ = true;
    if (inSection_ && IsKept(trimmed)) {
      reading_.clubsText.append(line);
      reading_.clubsText.append(kCrLf);
      if (trimmed.substr(0, kAthleteStart.size()) == kAthleteStart)
        reading_.athleteLines.emplace_back(line);
    }
    return trimmed != "</CLUBS>";
  }

  ClubsReading Finish(Prompter& prompter) {
    if (lineCount_ == 0) reading_.encoding = DeclaredEncoding("");
    if (reading_.kind == ClubsReading::VersionFailure) {
      reading_.athleteLines.clear();
      prompter.message(WrongVersionText(), kAppTitle, Icon::Stop, Buttons::Ok);
    }
    return std::move(reading_);
  }

 private:
  ClubsReading reading_;
  size_t lineCount_ = 0;
  bool inSection_ = false;
};

}  // namespace

ClubsReading ReadClubsText(Prompter& prompter, std::string_view document) {
  ClubsReader reader(document.size());
  ForEachLine(document, [&](std::string_view line) { return reader.Line(line); });
  return reader.Finish(prompter);
}

ClubsReading ReadClubs(Prompter& prompter, const std::string& documentPath) {
  // The document is read in pieces and never held whole: a federation's database runs to tens
  // of megabytes, and reading stops at the end of the clubs section.
  ClubsReader reader(static_cast<size_t>(fileops::FileSize(documentPath)));
  LineJoiner lines;
  const auto line = [&](std::string_view text) { return reader.Line(text); };
  bool more = true;
  FileError err;
  const bool read = fileops::ReadFileChunks(
      documentPath, [&](std::string_view piece) { return more = lines.Feed(piece, line); }, err);
  if (!read) {
    ShowReadFailure(prompter, documentPath, err);
    RemoveDocument(prompter, documentPath);
    ClubsReading failed;
    failed.kind = ClubsReading::Failed;
    return failed;
  }
  if (more) lines.Finish(line);
  ClubsReading reading = reader.Finish(prompter);
  if (!RemoveDocument(prompter, documentPath)) {
    reading.kind = ClubsReading::Failed;
    reading.clubsText.clear();
    reading.athleteLines.clear();
  }
  return reading;
}

}  // namespace rostrel
