#include "athletes/parse_athletes.h"

#include <array>
#include <cstdint>

#include "common/ascii.h"
#include "common/encoding.h"

namespace rostrel {
namespace {

constexpr size_t kFieldCount = 6;
// In the order of AthleteRecord's fields.
constexpr std::array<std::string_view, kFieldCount> kAttributeNames = {
    "lastname", "firstname", "birthdate", "license", "gender", "athleteid"};

std::string AthleteRecord::*const kFields[kFieldCount] = {
    &AthleteRecord::lastname, &AthleteRecord::firstname, &AthleteRecord::birthdate,
    &AthleteRecord::license,  &AthleteRecord::gender,    &AthleteRecord::athleteid};

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  return !IsXmlSpace(c) && c != '=' && c != '>' && c != '/' && c != '<' && c != '"' && c != '\'';
}

size_t SkipSpaces(std::string_view s, size_t p) {
  while (p < s.size() && IsXmlSpace(s[p])) ++p;
  return p;
}

// The raw values of the six attributes, as they stand between their quotes; `found` tells an
// empty value from a missing attribute.
struct RawValues {
  std::array<std::string_view, kFieldCount> value;
  std::array<bool, kFieldCount> found{};
};

// Walks the start tag's attributes in order, so that only an attribute of exactly the wanted
// name counts: neither a longer name that begins with it ("lastname.en", "license_ipc") nor text
// inside another attribute's value. A value without its closing quote runs to the end of the
// line, so nothing after it is an attribute.
RawValues ScanAttributes(std::string_view line) {
  RawValues raw;
  size_t p = SkipSpaces(line, 0);
  // Without an element name, the line starts with the attributes themselves.
  bool atStart = p >= line.size() || line[p] != '<';
  if (!atStart) {
    ++p;
    while (p < line.size() && IsNameChar(line[p])) ++p;
  }
  while (p < line.size()) {
    const size_t nameStart = SkipSpaces(line, p);
    const bool separated = nameStart > p || atStart;
    atStart = false;
    p = nameStart;
    if (p >= line.size() || line[p] == '>') break;
    while (p < line.size() && IsNameChar(line[p])) ++p;
    const std::string_view name = line.substr(nameStart, p - nameStart);
    if (name.empty()) {
      if (line[p] == '/' && p + 1 < line.size() && line[p + 1] == '>') break;
      ++p;  // a stray character between attributes
      continue;
    }
    size_t q = SkipSpaces(line, p);
    if (q >= line.size() || line[q] != '=') continue;  // a name without a value
    q = SkipSpaces(line, q + 1);
    if (q >= line.size()) break;
    const char quote = line[q];
    if (quote != '"' && quote != '\'') {  // an unquoted value is not taken; skip over it
      p = q;
      while (p < line.size() && !IsXmlSpace(line[p]) && line[p] != '>') ++p;
      continue;
    }
    const size_t close = line.find(quote, q + 1);
    if (close == std::string_view::npos) break;
    p = close + 1;
    if (!separated) continue;
    for (size_t f = 0; f < kFieldCount; ++f) {
      if (!raw.found[f] && name == kAttributeNames[f]) {
        raw.found[f] = true;
        raw.value[f] = line.substr(q + 1, close - q - 1);
        break;
      }
    }
  }
  return raw;
}

bool IsXmlChar(uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The code point of a numeric character reference's body ("#65" or "#x41"), or 0 when the
// body is not a valid reference.
uint32_t NumericReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return 0;
  const bool hex = body[1] == 'x';
  const std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  uint32_t cp = 0;
  for (const char c : digits) {
    uint32_t d;
    if (c >= '0' && c <= '9')
      d = static_cast<uint32_t>(c - '0');
    else if (hex && c >= 'a' && c <= 'f')
      d = static_cast<uint32_t>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F')
      d = static_cast<uint32_t>(c - 'A' + 10);
    else
      return 0;
    cp = cp * (hex ? 16 : 10) + d;
    // Against overflow only; >= would differ at U+10FFFF alone, a noncharacter no name holds.
    if (cp > 0x10FFFF) return 0;
  }
  return IsXmlChar(cp) ? cp : 0;
}

char PredefinedEntity(std::string_view name) {
  if (name == "amp") return '&';
  if (name == "lt") return '<';
  if (name == "gt") return '>';
  if (name == "quot") return '"';
  if (name == "apos") return '\'';
  return 0;
}

// How far a reference may reach.
bool IsReferenceChar(char c) { return c == '#' || (c >= '0' && c <= '9') || IsAsciiLetter(c); }

// Appends `in` with its entity and character references resolved. A reference that is not
// valid stays as written.
void AppendResolved(std::string_view in, std::string& out) {
  size_t p = 0;
  while (p < in.size()) {
    const size_t amp = in.find('&', p);
    if (amp == std::string_view::npos) break;
    out.append(in.substr(p, amp - p));
    size_t end = amp + 1;
    while (end < in.size() && IsReferenceChar(in[end])) ++end;
    p = amp + 1;
    if (end < in.size() && in[end] == ';') {
      const std::string_view body = in.substr(amp + 1, end - amp - 1);
      if (const char c = PredefinedEntity(body)) {
        out += c;
        p = end + 1;
        continue;
      }
      if (const uint32_t cp = NumericReference(body)) {
        AppendUtf8CodePoint(cp, out);
        p = end + 1;
        continue;
      }
    }
    out += '&';
  }
  out.append(in.substr(p));
}

// Appends one raw value decoded into UTF-8, with its references resolved. The references are
// ASCII in every encoding the program handles, so they survive decoding unchanged.
void AppendValue(DisplayDecoder& decoder, std::string_view raw, std::string& scratch,
                 std::string& out) {
  if (raw.find('&') == std::string_view::npos) {
    decoder.AppendUtf8(raw, out);
    return;
  }
  scratch.clear();
  decoder.AppendUtf8(raw, scratch);
  AppendResolved(scratch, out);
}

AthleteRecord Parse(std::string_view line, DisplayDecoder& decoder, std::string& scratch) {
  const RawValues raw = ScanAttributes(line);
  AthleteRecord record;
  for (size_t f = 0; f < kFieldCount; ++f)
    if (raw.found[f]) AppendValue(decoder, raw.value[f], scratch, record.*kFields[f]);
  return record;
}

}  // namespace

AthleteRecord ParseAthlete(std::string_view line, const std::string& encoding) {
  DisplayDecoder decoder(encoding);
  std::string scratch;
  return Parse(line, decoder, scratch);
}

std::vector<std::string> ParseAthletes(const std::vector<std::string>& athleteLines,
                                       const std::string& encoding) {
  DisplayDecoder decoder(encoding);
  std::string scratch;
  std::vector<std::string> display;
  display.reserve(athleteLines.size());
  // Each display line is built in one buffer and then copied at its exact size: 100,000
  // athletes and more must show without a noticeable wait, and without memory to spare.
  constexpr size_t kShown[] = {5, 0, 1, 2};  // athleteid, lastname, firstname, birthdate
  std::string shown;
  for (const std::string& line : athleteLines) {
    const RawValues raw = ScanAttributes(line);
    shown.clear();
    for (const size_t f : kShown) {
      if (f != kShown[0]) shown += ' ';
      AppendValue(decoder, raw.value[f], scratch, shown);
    }
    display.emplace_back(shown);
  }
  return display;
}

}  // namespace rostrel
