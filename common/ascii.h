#pragma once

#include <string>
#include <string_view>

namespace rostrel {

// Letter case of the ASCII letters only: names of encodings, actions and file suffixes are ASCII,
// and a byte of a UTF-8 or Windows-1250 letter must never change.
inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

inline std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

inline bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// True when `s` ends with `suffix`, ASCII letter case ignored.
inline bool EndsWithIgnoringCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         AsciiLower(s.substr(s.size() - suffix.size())) == AsciiLower(suffix);
}

}  // namespace rostrel
