#pragma once

// The bodies of the fuzz targets. The libFuzzer programs call them with generated inputs; the
// regression test in tests/hostile calls them with every input kept in tests/fuzz/regressions,
// so that a fixed crash stays fixed in the ordinary test run.
//
// Each body feeds its input through the core and checks what must hold for any input at all;
// a broken rule aborts, which both libFuzzer and the test runner report with the input. Each
// returns what came of the input in words, which the regression test compares with the outcome
// written out for that input.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "archive/shell_zip.h"
#include "athletes/parse_athletes.h"
#include "athletes/read_clubs.h"
#include "common/encoding.h"
#include "common/fileops.h"
#include "common/lef_layout.h"
#include "common/prompter.h"
#include "common/text.h"
#include "entries/rewrite_entries.h"
#include "support/fake_prompter.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace rostrel::fuzz {

// The tests' scripted user, with nothing queued: it answers OK to everything, picks no file and
// keeps what it was shown, so that a target can count the messages.
using testing::FakePrompter;

inline void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "rule broken: %s\n", rule);
  std::abort();
}

#ifndef _WIN32
// Converts the whole of `in`; false if the converter refuses any of it.
inline bool Iconv(iconv_t cd, std::string_view in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.assign(4 * in.size(), '\0');
  char *src = const_cast<char*>(in.data()), *dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  const size_t stop = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  out.resize(out.size() - dstLeft);
  return stop != static_cast<size_t>(-1) && srcLeft == 0;
}
#endif

// Well-formed UTF-8 as the platform's own converter judges it, not the program's check: on POSIX
// the bytes go to UTF-32 through iconv and back unchanged.
inline bool IsValidUtf8(std::string_view s) {
#ifdef _WIN32
  const int n = static_cast<int>(s.size());
  return n == 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), n, nullptr, 0) > 0;
#else
  static const iconv_t decode = iconv_open("UTF-32LE", "UTF-8");
  static const iconv_t encode = iconv_open("UTF-8", "UTF-32LE");
  std::string wide, back;
  return Iconv(decode, s, wide) && Iconv(encode, wide, back) && back == s;
#endif
}

// Every line the program writes ends with CR LF: no LF may stand without its CR.
inline bool EveryLfAfterCr(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
  return true;
}

// The encodings a fuzz input can pick with its first byte: the ones the program meets, and
// names that the converter knows but the program does not expect.
inline const std::vector<std::string>& Encodings() {
  static const std::vector<std::string> names = {
      "UTF-8",    "Windows-1250", "ISO-8859-2", "Windows-1252",     "ISO-8859-1",
      "US-ASCII", "UTF-16",       "UTF-7",      "no-such-encoding", ""};
  return names;
}

// The messages shown, one to a line, after `what` happened.
inline std::string Told(std::string what, const FakePrompter& prompter) {
  for (const std::string& text : prompter.texts()) what += "\n" + text;
  return what;
}

inline std::string WithoutWhitespace(std::string_view text) {
  std::string kept;
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') kept += c;
  return kept;
}

// Laying a document out one element per line changes only whitespace: between tags and inside a
// joined tag. Every other byte stays, in its order.
inline void RequireLayoutKeepsEveryOtherByte(std::string_view document) {
  LefLayout layout;
  std::string laid;
  const auto keep = [&](std::string_view line) {
    (laid += line) += '\n';
    return true;
  };
  ForEachLine(document, [&](std::string_view line) { return layout.Line(line, keep); });
  layout.Finish(keep);
  Require(WithoutWhitespace(laid) == WithoutWhitespace(document),
          "the layout drops or moves no byte but whitespace");
}

inline std::string ReadClubsOne(const uint8_t* data, size_t size) {
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  RequireLayoutKeepsEveryOtherByte(document);
  FakePrompter prompter;
  const ClubsReading reading = ReadClubsText(prompter, document);
  Require(reading.kind != ClubsReading::Failed, "reading text in memory cannot fail");
  Require(reading.clubs.text.empty() || reading.clubs.text.ends_with("\r\n"),
          "clubsText ends with CR LF");
  Require(!reading.clubs.encoding.empty(), "an encoding is always recorded");
  if (reading.kind == ClubsReading::VersionFailure || reading.kind == ClubsReading::Damaged) {
    Require(reading.athleteLines.empty(), "no athletes after a version failure or damage");
  }
  if (reading.kind == ClubsReading::VersionFailure) {
    Require(prompter.messages.size() == 1u, "a version failure shows one message");
  } else {
    Require(prompter.messages.size() == 0u, "a good reading shows nothing");
  }
  size_t at = 0;
  for (const std::string& line : reading.athleteLines) {
    const size_t found = reading.clubs.text.find(line + "\r\n", at);
    Require(found != std::string::npos, "athlete lines are kept lines, in order");
    at = found + line.size();
  }
  const std::vector<std::string> shown =
      ParseAthletes(reading.athleteLines, reading.clubs.encoding);
  Require(shown.size() == reading.athleteLines.size(), "one display line per athlete");
  std::string outcome = reading.kind == ClubsReading::VersionFailure ? "wrong version"
                        : reading.kind == ClubsReading::Damaged      ? "damaged"
                                                                     : "read";
  outcome += " as " + reading.clubs.encoding;
  for (const std::string& line : shown) outcome += "\n" + line;
  return Told(outcome, prompter);
}

// The first byte picks the encoding; the rest is split into lines at LF.
inline std::string ParseAthletesOne(const uint8_t* data, size_t size) {
  if (size == 0) return "";
  const std::string& encoding = Encodings()[data[0] % Encodings().size()];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  const std::vector<std::string> shown = ParseAthletes(lines, encoding);
  Require(shown.size() == lines.size(), "one display line per athlete line");
  // ParseAthlete opens a converter at each call; a few lines are enough to compare the two.
  // In UTF-16 a byte-order mark in one value changes how the converter reads the next, so the
  // two agree only for the byte-oriented encodings that LENEX documents use (a database that
  // declares UTF-16 is refused when pasting).
  const bool byteOriented = IsAsciiCompatible(encoding);
  for (size_t i = 0; i < lines.size() && i < 4; ++i) {
    const AthleteRecord r = ParseAthlete(lines[i], encoding);
    Require(!byteOriented ||
                shown[i] == r.athleteid + " " + r.lastname + " " + r.firstname + " " + r.birthdate,
            "the display line is athleteid, lastname, firstname, birthdate");
    for (const std::string* value :
         {&r.lastname, &r.firstname, &r.birthdate, &r.license, &r.gender, &r.athleteid}) {
      Require(IsValidUtf8(*value), "every parsed value is UTF-8");
    }
  }
  std::string outcome = "as " + encoding;
  for (const std::string& line : shown) outcome += "\n" + line;
  return outcome;
}

// A database's clubs section, in UTF-8 and in Windows-1250, with letters that only some
// encodings can hold.
inline const std::string& ClubsUtf8() {
  static const std::string text =
      "    <CLUB name=\"UKS Delfin \xC5\x81\xC3\xB3\x64\xC5\xBA\" code=\"DELFIN\">\r\n"
      "      <ATHLETES>\r\n"
      "        <ATHLETE athleteid=\"1\" lastname=\"\xC5\xBB\xC3\xB3\xC5\x82w\" "
      "firstname=\"Zofia\" birthdate=\"2009-03-14\" gender=\"F\">\r\n"
      "        </ATHLETE>\r\n"
      "      </ATHLETES>\r\n"
      "    </CLUB>\r\n";
  return text;
}
inline const std::string& ClubsCp1250() {
  static const std::string text =
      "    <CLUB name=\"UKS Delfin \xA3\xF3\x64\x9F\" code=\"DELFIN\">\r\n"
      "      <ATHLETES>\r\n"
      "        <ATHLETE athleteid=\"1\" lastname=\"\xAF\xF3\xB3w\" "
      "firstname=\"Zofia\" birthdate=\"2009-03-14\" gender=\"F\">\r\n"
      "        </ATHLETE>\r\n"
      "      </ATHLETES>\r\n"
      "    </CLUB>\r\n";
  return text;
}

// The first byte picks the database's encoding (and so whether the clubs section must be
// converted); the rest is the entries document.
inline std::string RewriteEntriesOne(const uint8_t* data, size_t size) {
  if (size == 0) return "";
  const bool cp1250 = data[0] & 1;
  const std::string& clubs = cp1250 ? ClubsCp1250() : ClubsUtf8();
  const std::string encoding = cp1250 ? "Windows-1250" : "UTF-8";
  const std::string_view document(reinterpret_cast<const char*>(data + 1), size - 1);
  RequireLayoutKeepsEveryOtherByte(document);
  FakePrompter prompter;
  const Rewrite rewrite = RewriteEntriesText(prompter, "zgloszenie.lxf", document, clubs, encoding);
  Require(rewrite.kind != Rewrite::Failed, "rewriting text in memory cannot fail to read");
  if (rewrite.kind != Rewrite::Rewritten) {
    Require(prompter.messages.size() == 1u, "a refusal shows exactly one message");
    Require(rewrite.text.empty(), "a refusal yields no document");
    return Told("refused", prompter);
  }
  Require(prompter.messages.size() == 0u, "a rewrite shows nothing");
  Require(rewrite.text.starts_with("<?xml version=\"1.0\" encoding=\""),
          "the new document starts with the declaration");
  Require(rewrite.text.ends_with("\r\n"), "the new document ends with CR LF");
  Require(EveryLfAfterCr(rewrite.text), "every line written ends with CR LF");
  Require(rewrite.text.find("</SESSIONS>") != std::string::npos, "a rewrite keeps </SESSIONS>");
  Require(rewrite.text.find("</MEET>") != std::string::npos, "a rewrite keeps </MEET>");
  return "rewritten";
}

// Writes the bytes as an archive into `work`, unpacks it into work/out/ and checks that
// nothing was written anywhere else, that the archive itself is unchanged and that no link was
// made. `work` must be an empty folder of the caller's.
inline std::string UnpackOne(const uint8_t* data, size_t size, const std::filesystem::path& work) {
  namespace fs = std::filesystem;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fs::path archive = work / "in.zip";
  const fs::path out = work / "out";
  std::error_code ec;
  fs::remove_all(out, ec);
  fs::create_directories(out);
  {
    std::ofstream input(archive, std::ios::binary);
    input.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(input.flush()), "the input can be written");
  }

  FakePrompter prompter;
  const bool unpacked =
      ShellZip(prompter, "UNZIP", fileops::Utf8(archive), fileops::Utf8(out) + "/");
  Require(unpacked || prompter.messages.size() == 1u, "a failed unpacking says why, once");
  Require(!unpacked || prompter.messages.size() == 0u, "a good unpacking shows nothing");

  for (fs::recursive_directory_iterator it(work), end; it != end; ++it) {
    const fs::path relative = it->path().lexically_relative(work);
    const std::string first = fileops::Utf8(*relative.begin());
    Require(first == "out" || relative == "in.zip", "nothing is written outside the folder");
    Require(!it->is_symlink(), "unpacking makes no links");
  }
  std::ifstream input(archive, std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(input)),
                          std::istreambuf_iterator<char>());
  Require(after == bytes, "the archive itself is unchanged");
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(out))
    names.push_back(fileops::Utf8(entry.path().lexically_relative(out)));
  std::sort(names.begin(), names.end());
  std::string outcome = unpacked ? "unpacked" : "refused";
  for (const std::string& name : names) outcome += " " + name;
  fs::remove_all(out, ec);
  fs::remove(archive, ec);
  return Told(outcome, prompter);
}

}  // namespace rostrel::fuzz
