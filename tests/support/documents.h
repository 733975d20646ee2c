#pragma once

#include <string>
#include <vector>

// LEF documents built in the tests, one element per line with CR LF.
namespace rostrel::testing {

// The lines, each followed by `eol`.
inline std::string Lines(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}

// `s` with every `from` replaced by `to`.
inline std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// Indentation by tabs instead of blanks, one tab for every two blanks.
inline std::string TabIndented(const std::string& document) {
  std::string out;
  bool lineStart = true;
  for (size_t i = 0; i < document.size(); ++i) {
    if (lineStart && document[i] == ' ' && i + 1 < document.size() && document[i + 1] == ' ') {
      out += '\t';
      ++i;
      continue;
    }
    lineStart = document[i] == '\n' || (lineStart && document[i] == '\t');
    out += document[i];
  }
  return out;
}

inline const std::string kUtf8Declaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
inline const std::string kCp1250Declaration = R"(<?xml version="1.0" encoding="Windows-1250"?>)";

// A LENEX document with one meet: its declaration, the root with its version, the meet's start
// tag, a sessions section with one session if asked for, and the clubs section's lines.
struct Lenex {
  std::string declaration = kUtf8Declaration;
  std::string version = "3.0";
  std::string meet = R"(<MEET name="Zawody">)";
  bool sessions = true;
  std::string clubs;  // lines ending in CR LF, as they stand between the sessions and </MEET>

  std::string Text() const {
    return declaration + "\r\n<LENEX version=\"" + version + "\">\r\n  <MEETS>\r\n    " + meet +
           "\r\n" +
           (sessions
                ? "      <SESSIONS>\r\n        <SESSION number=\"1\"/>\r\n      </SESSIONS>\r\n"
                : "") +
           clubs + "    </MEET>\r\n  </MEETS>\r\n</LENEX>\r\n";
  }
};

}  // namespace rostrel::testing
