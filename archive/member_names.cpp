#include "archive/member_names.h"

#include <cstdint>

#include "common/ascii.h"
#include "common/encoding.h"

namespace rostrel {
namespace {

// The lower-case form of a code point in Latin-1 and Latin Extended-A, where Windows file names
// meet Polish and other European letters; other code points stay as they are.
uint32_t LatinLower(uint32_t cp) {
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
  // U+0130 and U+0131, the Turkish dotted and dotless i, have no partner in this block. Each
  // range below ends on a small letter, which the parity test leaves alone (so <= or <).
  const bool evenUpper =
      (cp >= 0x100 && cp <= 0x12F) || (cp >= 0x132 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177);
  const bool oddUpper = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
  if ((evenUpper && cp % 2 == 0) || (oddUpper && cp % 2 == 1)) return cp + 1;
  if (cp == 0x178) return 0xFF;
  return cp;
}

// Folds letter case in UTF-8 text as Windows compares file names; bytes that are not valid
// UTF-8 stay as they are.
std::string FoldCase(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {  // (a stray 0x80 would come out the same as ASCII)
      out += AsciiLower(utf8[i++]);
      continue;
    }
    // Letters from U+00C0 to U+017F; C2 starts no letter and would come out the same. At the
    // last byte, the terminator of the part's string is no continuation byte either: the bound
    // only keeps the read inside the name.
    if (lead >= 0xC2 && lead <= 0xC5 && i + 1 < utf8.size() &&
        (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      const uint32_t cp = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      AppendUtf8CodePoint(LatinLower(cp), out);
      i += 2;
      continue;
    }
    out += utf8[i++];
  }
  return out;
}

// Names Windows keeps for its devices, with any extension and in any letter case ("nul.txt",
// "Com1.lef"): a file so named cannot be made there. Blanks before the dot do not count.
bool IsDeviceName(std::string_view part) {
  std::string_view stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string name = AsciiLower(stem);
  if (name == "con" || name == "prn" || name == "aux" || name == "nul") return true;
  return name.size() == 4 && (name.starts_with("com") || name.starts_with("lpt")) &&
         name[3] >= '1' && name[3] <= '9';
}

// The characters no Windows file name may hold: control characters and < > " | ? *.
bool HasForbiddenCharacter(std::string_view part) {
  for (const char c : part)
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>\"|?*").find(c) != std::string_view::npos)
      return true;
  return false;
}

}  // namespace

std::vector<std::string_view> SplitMemberName(std::string_view name, bool backslashSeparates) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '/' || (backslashSeparates && name[i] == '\\')) {
      parts.push_back(name.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

bool IsSafeMemberName(std::string_view name, NameRules rules) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':') return false;
  for (std::string_view part : SplitMemberName(name, true)) {
    if (part == "..") return false;
    // Refused on every system, so that an archive unpacks alike everywhere or nowhere.
    if (IsDeviceName(part) || HasForbiddenCharacter(part)) return false;
    if (rules != NameRules::Windows) continue;
    if (part.find(':') != std::string_view::npos) return false;
    if (part != "." && !part.empty() && (part.back() == '.' || part.back() == ' ')) return false;
  }
  return true;
}

bool IsFolderMember(std::string_view name, NameRules rules) {
  if (name.empty()) return false;  // (either way: an empty name is refused as unsafe)
  return name.back() == '/' || (rules == NameRules::Windows && name.back() == '\\');
}

std::vector<std::string> MemberTarget(std::string_view name, NameRules rules) {
  std::vector<std::string> target;
  for (std::string_view part : SplitMemberName(name, rules == NameRules::Windows))
    if (!part.empty() && part != ".") target.emplace_back(part);
  return target;
}

std::string MemberKey(std::string_view name, NameRules rules) {
  std::string key;
  for (const std::string& part : MemberTarget(name, rules))
    key += "/" + (rules == NameRules::Windows ? FoldCase(part) : part);
  return key;
}

}  // namespace rostrel
