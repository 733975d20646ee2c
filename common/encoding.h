#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace rostrel {

// Canonical names of the encodings the program meets most.
inline constexpr const char* kUtf8 = "UTF-8";
inline constexpr const char* kWindows1250 = "Windows-1250";

// The canonical spelling of an encoding's name: letter case and common aliases (utf8, cp1250,
// latin2, ...) do not matter; a name the program does not know is kept as it is spelt.
std::string CanonicalEncoding(std::string_view name);

// True for the encodings the program handles, the same on every system: UTF-8, Windows-1250,
// Windows-1252, ISO-8859-1, ISO-8859-2, ISO-8859-15, IBM852 and US-ASCII, under their usual
// names. Converting from or to any other fails as for a name nobody knows.
bool IsSupportedEncoding(std::string_view name);

// True when the two names denote the same encoding (compared after canonicalisation).
bool SameEncoding(std::string_view a, std::string_view b);

// True when the encoding writes the ASCII characters (markup, CR LF) as the same single bytes,
// so that a document in it can be handled line by line as bytes. UTF-16 and UTF-32 are not.
bool IsAsciiCompatible(const std::string& encoding);

// Converts text between two encodings. Fails, with a Polish description in `error`, when a
// character cannot be held by the target encoding, when the input is not valid in the source
// encoding, or when the program does not handle one of the two (IsSupportedEncoding). `out` is
// replaced.
bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out, std::string& error);

// Appends the UTF-8 form of one Unicode code point.
void AppendUtf8CodePoint(uint32_t codePoint, std::string& out);

// Decodes many short strings from one encoding into UTF-8 for display, with the converter
// opened once. Bytes that cannot be decoded (also invalid UTF-8) become U+FFFD; decoding never
// fails, and what it appends is always valid UTF-8.
class DisplayDecoder {
 public:
  explicit DisplayDecoder(const std::string& from);
  ~DisplayDecoder();
  DisplayDecoder(const DisplayDecoder&) = delete;
  DisplayDecoder& operator=(const DisplayDecoder&) = delete;
  // Appends the UTF-8 form of `in` to `out`.
  void AppendUtf8(std::string_view in, std::string& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rostrel
