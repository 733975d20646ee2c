#include "entries/rewrite_entries.h"

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

constexpr std::string_view kSessionsEnd = "</SESSIONS>";
constexpr std::string_view kMeetEnd = "</MEET>";

Rewrite Refuse(Prompter& prompter, const std::string& text) {
  ShowStop(prompter, text + " " + kUnchangedMessage);
  return {Rewrite::Refused, {}};
}

// Which lines after line 1 the new document keeps: all but those after each "</SESSIONS>" up to
// the next "</MEET>", where the clubs section goes.
class KeptPart {
 public:
  // Takes the next line, recognised; true when the new document keeps it.
  bool Keeps(std::string_view recognised) {
    if (recognised == kSessionsEnd) {
      sessionsFound_ = true;
      copying_ = false;
      return true;
    }
    if (recognised == kMeetEnd) copying_ = true;
    return copying_;
  }
  bool SessionsFound() const { return sessionsFound_; }
  // Every "</SESSIONS>" has its "</MEET>" after it.
  bool MeetEndFound() const { return copying_; }

 private:
  bool copying_ = true;
  bool sessionsFound_ = false;
};

// The entries document laid out one element per line, each line ending in CR LF, and what was
// found on the way. The text is empty when the document is already written so: it is then used
// as it stands, never copied.
struct LaidOut {
  bool changed = false;
  std::string text;
  size_t brokenQuote = 0;  // the line where a quoted value holding a '<' began, if any
  bool wrongVersion = false;
  bool secondDeclaration = false;  // line 1 held two declarations, now lines 1 and 2
  // The tags of the lines the new document keeps, numbered as the file's own lines. With the
  // clubs section's own finding, this stands for the new document's: the parts balance each on
  // its own, and the new document is no more than the one put into the other.
  TagBalance balance;
};

// Looks at each line as the layout emits it.
class Inspection {
 public:
  Inspection(const LefLayout& layout, LaidOut& laid) : layout_(layout), laid_(laid) {}

  void Line(std::string_view line) {
    const size_t number = layout_.EmittedLines();
    laid_.wrongVersion = laid_.wrongVersion || FailsVersionTest(layout_, line);
    if (laid_.changed && number == 2 && IsXmlDeclaration(line)) laid_.secondDeclaration = true;
    // Line 1 stands for the declaration that replaces it: either holds no tag.
    if (number == 1 || part_.Keeps(Recognised(line))) kept_.Line(line, layout_.SourceLine());
  }
  void Finish() {
    laid_.brokenQuote = layout_.BrokenQuoteLine();
    laid_.balance = kept_.Finish();
  }

 private:
  const LefLayout& layout_;
  LaidOut& laid_;
  KeptPart part_;
  TagBalanceChecker kept_;
};

LaidOut LayOut(std::string_view document) {
  LaidOut laid;
  // A first pass only looks: it stops at the first line the layout would change.
  {
    LefLayout probe;
    Inspection inspection(probe, laid);
    const auto look = [&](std::string_view line) {
      inspection.Line(line);
      return true;
    };
    ForEachLine(document, [&](std::string_view line) {
      probe.Line(line, look);
      return !probe.Changed() && probe.BrokenQuoteLine() == 0;
    });
    // No Finish: it passes on only a tag still being joined, and a join is a change.
    if (!probe.Changed()) {
      inspection.Finish();
      return laid;
    }
  }
  laid = {};
  laid.changed = true;
  laid.text.reserve(document.size() + document.size() / 8);
  LefLayout layout;
  Inspection inspection(layout, laid);
  const auto keep = [&](std::string_view line) {
    inspection.Line(line);
    (laid.text += line) += kCrLf;
    return true;
  };
  // A quoted value that runs on would take the rest of the document into one tag.
  ForEachLine(document, [&](std::string_view line) {
    layout.Line(line, keep);
    return layout.BrokenQuoteLine() == 0;
  });
  if (layout.BrokenQuoteLine() == 0) layout.Finish(keep);
  inspection.Finish();
  return laid;
}

std::string_view FirstLine(std::string_view document) {
  std::string_view first;
  ForEachLine(document, [&](std::string_view line) {
    first = line;
    return false;
  });
  return first;
}

// What keeps a document in `encoding` from taking the clubs section: "" when nothing does.
std::string EncodingProblem(const std::string& encoding, const std::string& clubsText,
                            const std::string& clubsEncoding) {
  if (!IsEncodingName(encoding)) {
    return "Dokument LEF w pliku zgłoszenia deklaruje nieprawidłową nazwę kodowania znaków. " +
           std::string(kSaveEntriesAgain);
  }
  // Lines are handled as bytes, so only encodings that keep ASCII as single bytes can be
  // rewritten; UTF-16 text, for one, would be cut apart at the wrong bytes.
  if (!IsAsciiCompatible(encoding)) {
    return "Dokument LEF w pliku zgłoszenia jest w kodowaniu znaków " + encoding +
           ", którego program nie obsługuje. Poproś organizatora zawodów o plik zgłoszenia w "
           "kodowaniu UTF-8 albo Windows-1250.";
  }
  if (!clubsText.empty() && !SameEncoding(clubsEncoding, encoding) &&
      !IsAsciiCompatible(clubsEncoding)) {
    return "Baza zawodników jest w kodowaniu znaków " + clubsEncoding +
           ", którego program nie obsługuje. Zapisz bazę w programie, w którym ją utworzono, w "
           "kodowaniu UTF-8 albo Windows-1250 i otwórz ją tutaj jeszcze raz.";
  }
  return "";
}

// The document with its first line replaced by our declaration and the clubs section after
// each "</SESSIONS>" line, in place of the lines up to the next "</MEET>".
struct Spliced {
  std::string text;
  bool sessionsFound;  // a "</SESSIONS>" line was there
  bool meetEndFound;   // every "</SESSIONS>" has its "</MEET>" after it
};

Spliced Splice(std::string_view document, std::string_view clubs, const std::string& encoding) {
  std::string out;
  // Lone LF line ends grow by one byte each; the slack spares most reallocations.
  out.reserve(document.size() + document.size() / 32 + clubs.size() + 64);
  bool firstLineDone = false;
  KeptPart part;
  ForEachLine(document, [&](std::string_view line) {
    if (!firstLineDone) {
      firstLineDone = true;
      (out += XmlDeclaration(encoding)) += kCrLf;
      return true;
    }
    const std::string_view recognised = Recognised(line);
    if (!part.Keeps(recognised)) return true;
    (out += line) += kCrLf;
    if (recognised == kSessionsEnd) out += clubs;
    return true;
  });
  return {std::move(out), part.SessionsFound(), part.MeetEndFound()};
}

}  // namespace

Rewrite RewriteEntriesText(Prompter& prompter, const std::string& entriesFile,
                           std::string_view entries, const std::string& clubsText,
                           const std::string& clubsEncoding) {
  if (entries.empty()) return Refuse(prompter, "Dokument LEF w pliku zgłoszenia jest pusty.");
  const LaidOut laid = LayOut(entries);
  if (laid.brokenQuote != 0) {
    return Refuse(prompter, DamagedDocumentText(LefFile::Entries, entriesFile,
                                                BrokenQuoteFrom(laid.brokenQuote)));
  }
  const std::string_view document = laid.changed ? std::string_view(laid.text) : entries;
  const std::string_view firstLine = FirstLine(document);
  if (!FirstLineIsOnlyDeclaration(firstLine) || laid.secondDeclaration) {
    // What line 1 of the file itself holds tells the user what is wrong with it.
    if (!HoldsXmlDeclaration(FirstLine(entries))) {
      return Refuse(prompter,
                    "Dokument LEF w pliku zgłoszenia nie ma w pierwszym wierszu deklaracji XML "
                    "(<?xml ... ?>). " +
                        std::string(kSaveEntriesAgain));
    }
    return Refuse(prompter,
                  "Pierwszy wiersz dokumentu LEF w pliku zgłoszenia zawiera coś więcej niż "
                  "deklarację XML, a zastąpienie go usunęłoby tę treść z dokumentu. " +
                      std::string(kSaveEntriesAgain));
  }
  if (laid.wrongVersion) {
    ShowStop(prompter, WrongVersionText());
    return {Rewrite::VersionFailure, {}};
  }
  const std::string encoding = DeclaredEncoding(firstLine);
  if (const std::string problem = EncodingProblem(encoding, clubsText, clubsEncoding);
      !problem.empty()) {
    return Refuse(prompter, problem);
  }

  // The clubs section is written in the entries document's own encoding: copied byte for byte
  // when both documents share it, converted otherwise.
  std::string converted;
  const std::string* clubs = &clubsText;
  if (!clubsText.empty() && !SameEncoding(clubsEncoding, encoding)) {
    std::string error;
    if (!ConvertText(clubsText, clubsEncoding, encoding, converted, error)) {
      return Refuse(prompter, "Nie można przenieść danych klubu z bazy zawodników (kodowanie " +
                                  clubsEncoding + ") do pliku zgłoszenia (kodowanie " + encoding +
                                  "): " + error);
    }
    clubs = &converted;
  }

  Spliced spliced = Splice(document, *clubs, encoding);
  if (!spliced.sessionsFound) {
    return Refuse(prompter,
                  "W dokumencie LEF pliku zgłoszenia nie ma wiersza </SESSIONS>, więc nie ma "
                  "miejsca, w które można wkleić zawodników.");
  }
  if (!spliced.meetEndFound) {
    return Refuse(prompter,
                  "W dokumencie LEF pliku zgłoszenia po wierszu </SESSIONS> brakuje wiersza "
                  "</MEET>, a wklejenie zawodników usunęłoby zakończenie dokumentu.");
  }
  if (laid.balance.kind != TagBalance::Balanced)
    return Refuse(prompter, DamagedDocumentText(LefFile::Entries, entriesFile, laid.balance));
  return {Rewrite::Rewritten, std::move(spliced.text)};
}

Rewrite RewriteEntries(Prompter& prompter, const std::string& entriesFile,
                       const std::string& documentPath, const std::string& clubsText,
                       const std::string& clubsEncoding) {
  std::string document;
  FileError err;
  if (!fileops::ReadFile(documentPath, document, err)) {
    ShowStop(prompter, "Nie można odczytać dokumentu LEF z pliku zgłoszenia: " + documentPath +
                           "\r\n" + DescribeWithCode(err) + "\r\n" + kUnchangedMessage);
    return {Rewrite::Failed, {}};
  }
  return RewriteEntriesText(prompter, entriesFile, document, clubsText, clubsEncoding);
}

}  // namespace rostrel
