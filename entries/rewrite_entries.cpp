#include "entries/rewrite_entries.h"

#include <string_view>

#include "athletes/read_clubs.h"
#include "common/encoding.h"
#include "common/fileops.h"
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

// Line 1 is replaced by our own declaration, so it may hold nothing that would be lost with it:
// only an optional byte-order mark and one "<?xml ...?>" declaration, or nothing at all.
bool FirstLineIsOnlyDeclaration(std::string_view line) {
  if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  if (line.empty()) return true;
  constexpr std::string_view kOpen = "<?xml";
  if (line.size() < kOpen.size() + 3 || line.substr(0, kOpen.size()) != kOpen) return false;
  const char after = line[kOpen.size()];
  if (after != ' ' && after != '\t') return false;  // "<?xml-stylesheet" is no declaration
  return line.find("?>") == line.size() - 2;
}

// An encoding name as XML allows it: a letter, then letters, digits, '.', '_' and '-'. Anything
// else would break the declaration we write.
bool IsEncodingName(std::string_view name) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (name.empty() || !letter(name.front())) return false;
  for (char c : name) {
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

std::string_view FirstLine(std::string_view document) {
  std::string_view first;
  ForEachLine(document, [&](std::string_view line) {
    first = line;
    return false;
  });
  return first;
}

// Line 2 exists and names neither LENEX version: a plain substring test, as LENEX 2.0 and 3.0
// documents carry the version in the root element's start tag.
bool WrongVersion(std::string_view document) {
  int count = 0;
  bool wrong = false;
  ForEachLine(document, [&](std::string_view line) {
    if (++count < 2) return true;
    wrong =
        line.find("2.0") == std::string_view::npos && line.find("3.0") == std::string_view::npos;
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
      out += "<?xml version=\"1.0\" encoding=\"";
      out += encoding;
      out += "\"?>";
      out += kCrLf;
      return true;
    }
    const std::string_view trimmed = TrimSpaces(line);
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
