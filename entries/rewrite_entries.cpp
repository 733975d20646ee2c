#include "entries/rewrite_entries.h"

#include <string_view>

#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "common/prompter.h"
#include "common/text.h"

namespace rostrel {
namespace {

constexpr std::string_view kSessionsEnd = "</SESSIONS>";
constexpr std::string_view kMeetEnd = "</MEET>";

Rewrite Refuse(Prompter& prompter, const std::string& text) {
  ShowStop(prompter, text + " " + kUnchangedMessage);
  return {Rewrite::Refused, {}};
}

std::string_view FirstLine(std::string_view document) {
  std::string_view first;
  ForEachLine(document, [&](std::string_view line) {
    first = line;
    return false;
  });
  return first;
}

// Line 2 exists and names neither LENEX version.
bool WrongVersion(std::string_view document) {
  int count = 0;
  bool wrong = false;
  ForEachLine(document, [&](std::string_view line) {
    if (++count < 2) return true;
    wrong = !NamesLenexVersion(line);
    return false;
  });
  return wrong;
}

}  // namespace

Rewrite RewriteEntriesText(Prompter& prompter, std::string_view document,
                           const std::string& clubsText, const std::string& clubsEncoding) {
  if (document.empty()) return Refuse(prompter, "Dokument LEF w pliku zgłoszenia jest pusty.");

  const std::string_view firstLine = FirstLine(document);
  if (!FirstLineIsOnlyDeclaration(firstLine)) {
    return Refuse(prompter,
                  "Pierwszy wiersz dokumentu LEF w pliku zgłoszenia zawiera coś więcej niż "
                  "deklarację XML, a zastąpienie go usunęłoby tę treść z dokumentu. Program "
                  "obsługuje dokumenty zapisane po jednym elemencie w wierszu.");
  }

  if (WrongVersion(document)) {
    ShowStop(prompter, WrongVersionText());
    return {Rewrite::VersionFailure, {}};
  }

  const std::string encoding = DeclaredEncoding(firstLine);
  if (!IsEncodingName(encoding)) {
    return Refuse(
        prompter,
        "Dokument LEF w pliku zgłoszenia deklaruje nieprawidłową nazwę kodowania znaków.");
  }
  // Lines are handled as bytes, so only encodings that keep ASCII as single bytes can be
  // rewritten; UTF-16 text, for one, would be cut apart at the wrong bytes.
  if (!IsAsciiCompatible(encoding)) {
    return Refuse(prompter, "Dokument LEF w pliku zgłoszenia jest w kodowaniu znaków " + encoding +
                                ", którego program nie obsługuje.");
  }
  if (!clubsText.empty() && !SameEncoding(clubsEncoding, encoding) &&
      !IsAsciiCompatible(clubsEncoding)) {
    return Refuse(prompter, "Baza zawodników jest w kodowaniu znaków " + clubsEncoding +
                                ", którego program nie obsługuje.");
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

  Rewrite result{Rewrite::Rewritten, {}};
  std::string& out = result.text;
  // Lone LF line ends grow by one byte each; the slack spares most reallocations.
  out.reserve(document.size() + document.size() / 32 + clubs->size() + 64);

  bool firstLineDone = false;
  bool copying = true;
  bool sessionsFound = false;
  ForEachLine(document, [&](std::string_view line) {
    if (!firstLineDone) {
      firstLineDone = true;
      out += XmlDeclaration(encoding);
      out += kCrLf;
      return true;
    }
    const std::string_view trimmed = Recognised(line);
    if (trimmed == kSessionsEnd) {
      sessionsFound = true;
      copying = false;
      out += line;
      out += kCrLf;
      out += *clubs;
      return true;
    }
    if (trimmed == kMeetEnd) copying = true;
    if (copying) {
      out += line;
      out += kCrLf;
    }
    return true;
  });

  if (!sessionsFound) {
    return Refuse(prompter,
                  "W dokumencie LEF pliku zgłoszenia nie ma wiersza </SESSIONS>, więc nie ma "
                  "miejsca, w które można wkleić zawodników.");
  }
  if (!copying) {
    return Refuse(prompter,
                  "W dokumencie LEF pliku zgłoszenia po wierszu </SESSIONS> brakuje wiersza "
                  "</MEET>, a wklejenie zawodników usunęłoby zakończenie dokumentu.");
  }
  return result;
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
  return result;
}

}  // namespace rostrel
