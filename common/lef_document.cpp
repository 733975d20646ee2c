#include "common/lef_document.h"

#include "common/ascii.h"
#include "common/encoding.h"
#include "common/prompter.h"

namespace rostrel {

std::string WrongVersionText() {
  return std::string(kWrongVersionMessage) + kInstructionsUrl + " ";
}

bool NamesLenexVersion(std::string_view line) {
  return line.find("2.0") != std::string_view::npos || line.find("3.0") != std::string_view::npos;
}

bool FailsVersionTest(const LefLayout& layout, std::string_view line) {
  return layout.EmittedLines() == layout.RootLine() && !NamesLenexVersion(line);
}

std::string DeclaredEncoding(std::string_view firstLine) {
  if (firstLine.substr(0, kUtf8Bom.size()) == kUtf8Bom) return kUtf8;
  size_t at = 0;
  while ((at = firstLine.find("encoding", at)) != std::string_view::npos) {
    size_t p = at + 8;
    at = p;
    while (p < firstLine.size() && firstLine[p] == ' ') ++p;
    if (p >= firstLine.size() || firstLine[p] != '=') continue;
    ++p;
    while (p < firstLine.size() && firstLine[p] == ' ') ++p;
    if (p >= firstLine.size() || (firstLine[p] != '"' && firstLine[p] != '\'')) continue;
    const char quote = firstLine[p++];
    const size_t close = firstLine.find(quote, p);
    if (close == std::string_view::npos || close == p) continue;
    return CanonicalEncoding(firstLine.substr(p, close - p));
  }
  return kUtf8;
}

bool IsXmlDeclaration(std::string_view line) {
  if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
  line = TrimBlanksAndTabs(line);
  constexpr std::string_view kOpen = "<?xml";
  if (line.size() < kOpen.size() + 3 || line.substr(0, kOpen.size()) != kOpen) return false;
  const char after = line[kOpen.size()];
  if (after != ' ' && after != '\t') return false;  // "<?xml-stylesheet" is no declaration
  return line.find("?>") == line.size() - 2;
}

bool HoldsXmlDeclaration(std::string_view line) {
  constexpr std::string_view kOpen = "<?xml";
  for (size_t at = line.find(kOpen); at != std::string_view::npos; at = line.find(kOpen, at + 1)) {
    const size_t after = at + kOpen.size();
    if (after == line.size() || line[after] == ' ' || line[after] == '\t') return true;
  }
  return false;
}

bool FirstLineIsOnlyDeclaration(std::string_view line) {
  if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
  return TrimBlanksAndTabs(line).empty() || IsXmlDeclaration(line);
}

std::string DamagedDocumentText(LefFile file, const std::string& path, const TagBalance& finding) {
  const std::string where = "\r\n" + path + "\r\n";
  if (file == LefFile::Database) {
    return "Baza zawodników jest uszkodzona:" + where + "W jej dokumencie LEF " +
           DescribeTagBalance(finding) +
           ". Otwórz bazę w programie, w którym ją utworzono, zapisz ją ponownie i otwórz ją "
           "tutaj jeszcze raz.";
  }
  return "Plik zgłoszenia jest uszkodzony:" + where + "W jego dokumencie LEF " +
         DescribeTagBalance(finding) + ". " + kSaveEntriesAgain;
}

bool IsEncodingName(std::string_view name) {
  if (name.empty() || !IsAsciiLetter(name.front())) return false;
  for (char c : name) {
    if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-')
      return false;
  }
  return true;
}

std::string XmlDeclaration(std::string_view encoding) {
  return "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) + "\"?>";
}

}  // namespace rostrel
