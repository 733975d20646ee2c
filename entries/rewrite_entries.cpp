#include "entries/rewrite_entries.h"

#include <string_view>

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
// What the user can do about an entries document the program cannot take.
constexpr std::string_view kSaveEntriesAgain =
    "Zapisz ten plik ponownie w programie, w którym go utworzono, albo poproś organizatora "
    "zawodów o nowy plik zgłoszenia.";

Rewrite Refuse(Prompter& prompter, const std::string& text) {
  ShowStop(prompter, text + " " + kUnchangedMessage);
  return {Rewrite::Refused, {}};
}

// The entries document laid out one element per line, each line ending in CR LF, and whether it
// fails the version test. The text is empty when the document is already written so: it is then
// used as it stands, never copied.
struct LaidOut {
  bool changed = false;
  std::string text;
  bool wrongVersion = false;
  bool secondDeclaration = false;  // line 1 held two declarations, now lines 1 and 2
};

LaidOut LayOut(std::string_view document) {
  LaidOut laid;
  // A first pass only looks: it stops at the first line the layout would change.
  LefLayout probe;
  const auto look = [&](std::string_view line) {
    laid.wrongVersion = laid.wrongVersion || FailsVersionTest(probe, line);
    return true;
  };
  ForEachLine(document, [&](std::string_view line) {
    probe.Line(line, look);
    return !probe.Changed();
  });
  if (!probe.Changed()) probe.Finish(look);
  if (!probe.Changed()) return laid;

  LefLayout layout;
  laid = {};
  laid.changed = true;
  laid.text.reserve(document.size() + document.size() / 8);
  const auto keep = [&](std::string_view line) {
    laid.wrongVersion = laid.wrongVersion || FailsVersionTest(layout, line);
    if (layout.EmittedLines() == 2 && IsXmlDeclaration(line)) laid.secondDeclaration = true;
    (laid.text += line) += kCrLf;
    return true;
  };
  ForEachLine(document, [&](std::string_view line) { return layout.Line(line, keep); });
  layout.Finish(keep);
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
  if (!IsEncodingName(encoding))
    return "Dokument LEF w pliku zgłoszenia deklaruje nieprawidłową nazwę kodowania znaków.";
  // Lines are handled as bytes, so only encodings that keep ASCII as single bytes can be
  // rewritten; UTF-16 text, for one, would be cut apart at the wrong bytes.
  if (!IsAsciiCompatible(encoding)) {
    return "Dokument LEF w pliku zgłoszenia jest w kodowaniu znaków " + encoding +
           ", którego program nie obsługuje.";
  }
  if (!clubsText.empty() && !SameEncoding(clubsEncoding, encoding) &&
      !IsAsciiCompatible(clubsEncoding)) {
    return "Baza zawodników jest w kodowaniu znaków " + clubsEncoding +
           ", którego program nie obsługuje.";
  }
  return "";
}

// The document with its first line replaced by our declaration and the clubs section after
// each "</SESSIONS>" line, in place of the lines up to the next "</MEET>".
struct Spliced {
  std::string text;
  bool sessionsFound = false;
  bool meetEndFound = true;  // every "</SESSIONS>" has its "</MEET>" after it
};

Spliced Splice(std::string_view document, std::string_view clubs, const std::string& encoding) {
  Spliced result;
  std::string& out = result.text;
  // Lone LF line ends grow by one byte each; the slack spares most reallocations.
  out.reserve(document.size() + document.size() / 32 + clubs.size() + 64);
  bool firstLineDone = false;
  bool copying = true;
  ForEachLine(document, [&](std::string_view line) {
    if (!firstLineDone) {
      firstLineDone = true;
      (out += XmlDeclaration(encoding)) += kCrLf;
      return true;
    }
    const std::string_view recognised = Recognised(line);
    if (recognised == kSessionsEnd) {
      result.sessionsFound = true;
      copying = false;
      ((out += line) += kCrLf) += clubs;
      return true;
    }
    if (recognised == kMeetEnd) copying = true;
    if (copying) (out += line) += kCrLf;
    return true;
  });
  result.meetEndFound = copying;
  return result;
}

}  // namespace

Rewrite RewriteEntriesText(Prompter& prompter, std::string_view entries,
                           const std::string& clubsText, const std::string& clubsEncoding) {
  if (entries.empty()) return Refuse(prompter, "Dokument LEF w pliku zgłoszenia jest pusty.");
  const LaidOut laid = LayOut(entries);
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
                  "deklarację XML, a zastąpienie go usunęłoby tę treść z dokumentu.");
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
  return {Rewrite::Rewritten, std::move(spliced.text)};
}

bool CheckRewritten(Prompter& prompter, std::string_view text) {
  const TagBalance balance = CheckTagBalance(text);
  if (balance.kind == TagBalance::Balanced) return true;
  Refuse(prompter, "Po wklejeniu zawodników dokument LEF pliku zgłoszenia byłby uszkodzony: " +
                       DescribeTagBalance(balance) + ".");
  return false;
}

Rewrite RewriteEntries(Prompter& prompter, const std::string& documentPath,
                       const std::string& clubsText, const std::string& clubsEncoding) {
  std::string document;
  FileError err;
  if (!fileops::ReadFile(documentPath, document, err)) {
    ShowStop(prompter, "Nie można odczytać dokumentu LEF z pliku zgłoszenia: " + documentPath +
                           "\r\n" + DescribeWithCode(err) + "\r\n" + kUnchangedMessage);
    return {Rewrite::Failed, {}};
  }
  Rewrite result = RewriteEntriesText(prompter, document, clubsText, clubsEncoding);
  if (result.kind == Rewrite::VersionFailure && !fileops::RemoveFile(documentPath, err)) {
    ShowStop(prompter,
             "Nie można usunąć dokumentu LEF: " + documentPath + "\r\n" + DescribeWithCode(err));
  }
  if (result.kind == Rewrite::Rewritten && !CheckRewritten(prompter, result.text))
    return {Rewrite::Refused, {}};
  return result;
}

}  // namespace rostrel
