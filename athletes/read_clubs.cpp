#include "athletes/read_clubs.h"

#include <array>
#include <string_view>
#include <utility>

#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "common/lef_layout.h"
#include "common/prompter.h"
#include "common/tag_balance.h"
#include "common/text.h"

namespace rostrel {
namespace {

// The first five characters of every line of the clubs section that is kept: clubs, their
// contacts (with the end tag of a contact that has one), the athlete lists and the athletes'
// start and end tags.
constexpr std::array<std::string_view, 6> kKeptPrefixes = {"<CLUB", "<CONT", "</CON",
                                                           "<ATHL", "</ATH", "</CLU"};
constexpr std::string_view kAthleteStart = "<ATHLETE ";

bool IsKept(std::string_view trimmed) {
  if (trimmed.size() < 5) return false;
  const std::string_view head = trimmed.substr(0, 5);
  for (const std::string_view prefix : kKeptPrefixes)
    if (head == prefix) return true;
  return false;
}

// Reads a database document line by line, keeping what its clubs section holds. The lines go
// through the layout first, so that a document not written one element per line is read as if
// it were.
class ClubsReader {
 public:
  explicit ClubsReader(size_t documentSize) {
    reading_.kind = ClubsReading::Read;
    // The kept lines are rarely more than the document itself; reserving that much address
    // space up front spares a 30 MB database the copies of a growing string. Untouched pages of
    // the reservation cost no memory.
    reading_.clubs.text.reserve(documentSize);
  }

  // Takes the document's next line; false when the reading is over.
  bool Line(std::string_view line) {
    const bool more = layout_.Line(line, [this](std::string_view laid) { return Laid(laid); });
    if (!more || layout_.BrokenQuoteLine() == 0) return more;
    // The rest of the document would be read as one tag, and its athletes lost without a word.
    damaged_ = true;
    return Over();
  }

  ClubsReading Finish(Prompter& prompter) {
    if (!over_) layout_.Finish([this](std::string_view laid) { return Laid(laid); });
    if (layout_.EmittedLines() == 0) reading_.clubs.encoding = DeclaredEncoding("");
    reading_.clubs.balance = kept_.Finish();
    if (damaged_) {
      reading_.kind = ClubsReading::Damaged;
      reading_.clubs.text.clear();
      reading_.athleteLines.clear();
      reading_.clubs.balance = BrokenQuoteFrom(layout_.BrokenQuoteLine());
    } else if (wrongVersion_) {
      reading_.kind = ClubsReading::VersionFailure;
      reading_.athleteLines.clear();
      ShowStop(prompter, WrongVersionText());
    }
    return std::move(reading_);
  }

 private:
  bool Laid(std::string_view line) {
    if (layout_.EmittedLines() == 1) reading_.clubs.encoding = DeclaredEncoding(line);
    // The wrong version: nothing more is read, and what was kept before the root's line stays.
    if (FailsVersionTest(layout_, line)) {
      wrongVersion_ = true;
      return Over();
    }
    const std::string_view recognised = Recognised(line);
    if (recognised == "<CLUBS>") inSection_ = true;
    if (inSection_ && IsKept(recognised)) {
      kept_.Line(line, layout_.SourceLine());
      reading_.clubs.text.append(line);
      reading_.clubs.text.append(kCrLf);
      if (recognised.substr(0, kAthleteStart.size()) == kAthleteStart)
        reading_.athleteLines.emplace_back(line);
    }
    return recognised != "</CLUBS>" || Over();
  }

  bool Over() {
    // Spares the layout's Finish, which after the end would add only what a damaged reading drops.
    over_ = true;
    return false;
  }

  LefLayout layout_;
  ClubsReading reading_;
  TagBalanceChecker kept_;  // the kept lines, numbered as the document's own lines
  bool damaged_ = false;
  bool wrongVersion_ = false;
  bool inSection_ = false;
  bool over_ = false;
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
  bool more = true;  // an empty file feeds nothing, and then Finish has nothing to pass on
  FileError err;
  const bool read = fileops::ReadFileChunks(
      documentPath, [&](std::string_view piece) { return more = lines.Feed(piece, line); }, err);
  if (!read) {
    ShowStop(prompter, "Nie udało się odczytać pliku LEF z bazy zawodników:\r\n" + documentPath +
                           "\r\n" + DescribeWithCode(err));
    ClubsReading failed;
    failed.kind = ClubsReading::Failed;
    return failed;
  }
  if (more) lines.Finish(line);
  return reader.Finish(prompter);
}

}  // namespace rostrel
