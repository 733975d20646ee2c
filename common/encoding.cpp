#include "common/encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/ascii.h"
#include "common/converter.h"

namespace rostrel {
namespace {

// The encodings the program handles, on every system alike, each under its canonical name and
// the names documents give it (compared in lower case). A document in any other encoding is
// refused, on Linux as on Windows, even where the platform's converter would know it.
struct Encoding {
  const char* canonical;
  const char* aliases;  // separated by blanks
};

constexpr Encoding kEncodings[] = {
    {"UTF-8", "utf-8 utf8"},
    {"Windows-1250", "windows-1250 windows1250 cp1250 cp-1250 x-cp1250 win-1250"},
    {"Windows-1252", "windows-1252 windows1252 cp1252 cp-1252 x-cp1252 win-1252"},
    {"ISO-8859-1", "iso-8859-1 iso8859-1 iso_8859-1 iso88591 latin1 latin-1 l1 cp819 ibm819"},
    {"ISO-8859-2", "iso-8859-2 iso8859-2 iso_8859-2 iso88592 latin2 latin-2 l2"},
    {"ISO-8859-15", "iso-8859-15 iso8859-15 iso_8859-15 iso885915 latin9 latin-9 l9"},
    {"IBM852", "ibm852 cp852 852"},
    {"US-ASCII", "us-ascii ascii ansi_x3.4-1968 iso646-us"},
};

// The encoding `name` denotes, or null when the program does not handle it.
const Encoding* Find(std::string_view name) {
  const std::string lower = AsciiLower(name);
  for (const Encoding& e : kEncodings) {
    for (std::string_view rest = e.aliases; !rest.empty();) {
      const std::string_view alias = rest.substr(0, rest.find(' '));
      if (alias == lower) return &e;
      rest.remove_prefix(std::min(alias.size() + 1, rest.size()));
    }
  }
  return nullptr;
}

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// What the program says when a conversion fails, on every platform.
bool UnknownEncoding(const std::string& name, std::string& error) {
  error = "Nieznane kodowanie znaków: " + name + ".";
  return false;
}
bool DamagedText(const std::string& name, size_t at, std::string& error) {
  error = "Tekst nie jest poprawnie zapisany w kodowaniu " + name + " (bajt " +
          std::to_string(at + 1) + ").";
  return false;
}
bool Unencodable(const std::string& character, const std::string& name, std::string& error) {
  error = "Znaku „" + character + "” nie da się zapisać w kodowaniu " + name + ".";
  return false;
}

// The length of the valid UTF-8 character that starts at `i`, or 0 when none starts there.
size_t Utf8CharacterLength(std::string_view in, size_t i) {
  const auto b = static_cast<unsigned char>(in[i]);
  if (b < 0x80) return 1;
  size_t len = 0;
  uint32_t cp = 0, min = 0;
  if (b >= 0xC2 && b <= 0xDF)
    len = 2, cp = b & 0x1F, min = 0x80;
  else if (b >= 0xE0 && b <= 0xEF)
    len = 3, cp = b & 0x0F, min = 0x800;
  else if (b >= 0xF0 && b <= 0xF4)
    len = 4, cp = b & 0x07, min = 0x10000;
  if (len == 0 || i + len > in.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(in[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  const bool valid = cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  return valid ? len : 0;
}

// The offset of the first byte that is not UTF-8, or npos.
size_t InvalidUtf8At(std::string_view in) {
  for (size_t i = 0; i < in.size();) {
    const size_t len = Utf8CharacterLength(in, i);
    if (len == 0) return i;
    i += len;
  }
  return std::string_view::npos;
}

// Appends UTF-8 text as it is when it is valid, with each invalid byte replaced by U+FFFD.
void AppendValidUtf8(std::string_view in, std::string& out) {
  size_t i = 0;
  while (i < in.size()) {
    size_t j = i;  // copy a run of valid text at once
    while (j < in.size()) {
      const size_t len = Utf8CharacterLength(in, j);
      if (len == 0) break;
      j += len;
    }
    out.append(in.data() + i, j - i);
    if (j < in.size()) {
      out += kReplacement;
      ++j;
    }
    i = j;
  }
}

// The character that starts at `at` in UTF-8 text, for messages ("ą").
std::string CharacterAt(std::string_view utf8, size_t at) {
  if (at >= utf8.size()) return "?";
  const auto lead = static_cast<unsigned char>(utf8[at]);
  size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::string(utf8.substr(at, len));
}

}  // namespace

std::string CanonicalEncoding(std::string_view name) {
  const Encoding* e = Find(name);
  return e ? e->canonical : std::string(name);
}

bool IsSupportedEncoding(std::string_view name) { return Find(name) != nullptr; }

void AppendUtf8CodePoint(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool SameEncoding(std::string_view a, std::string_view b) {
  return AsciiLower(CanonicalEncoding(a)) == AsciiLower(CanonicalEncoding(b));
}

bool IsAsciiCompatible(const std::string& encoding) {
  // Every printable ASCII character, the blank and the line ends must come out unchanged.
  std::string ascii = "\t\r\n";
  for (char c = ' '; c < 0x7F; ++c) ascii += c;
  std::string encoded, error;
  return ConvertText(ascii, kUtf8, encoding, encoded, error) && encoded == ascii;
}

bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out, std::string& error) {
  out.clear();
  // Through UTF-8, so that the message can tell a damaged source from a character that the
  // target cannot hold, and name that character. UTF-8 text goes to the target directly and is
  // checked on its own only when that fails: a clubs section can run to tens of megabytes.
  const std::string source = CanonicalEncoding(from), target = CanonicalEncoding(to);
  const bool fromUtf8 = SameEncoding(source, kUtf8);
  std::string decoded;
  std::string_view utf8 = in;
  size_t at = 0;
  if (!IsSupportedEncoding(source)) return UnknownEncoding(source, error);
  if (!fromUtf8) {
    const auto decode = Converter::Open(kUtf8, source);
    if (!decode) return UnknownEncoding(source, error);
    if (decode->Convert(in, decoded, at) != Converter::Stop::None)
      return DamagedText(source, at, error);
    utf8 = decoded;
  }
  if (SameEncoding(target, kUtf8)) {
    if (fromUtf8 && (at = InvalidUtf8At(in)) != std::string_view::npos)
      return DamagedText(kUtf8, at, error);
    out = fromUtf8 ? std::string(in) : std::move(decoded);
    return true;
  }
  const auto encode = IsSupportedEncoding(target) ? Converter::Open(target, kUtf8) : nullptr;
  if (!encode) return UnknownEncoding(target, error);
  out.reserve(utf8.size());
  if (encode->Convert(utf8, out, at) == Converter::Stop::None) return true;
  out.clear();
  if (const size_t bad = fromUtf8 ? InvalidUtf8At(in) : std::string_view::npos;
      bad != std::string_view::npos)
    return DamagedText(kUtf8, bad, error);
  return Unencodable(CharacterAt(utf8, at), target, error);
}

struct DisplayDecoder::Impl {
  bool utf8 = false;
  std::array<std::string, 256> table;  // UTF-8 form of each byte, for the other encodings
};

DisplayDecoder::DisplayDecoder(const std::string& from) : impl_(std::make_unique<Impl>()) {
  const std::string source = CanonicalEncoding(from);
  std::unique_ptr<Converter> probe;
  if (IsSupportedEncoding(source) && !SameEncoding(source, kUtf8) &&
      !SameEncoding(source, "US-ASCII"))
    probe = Converter::Open(kUtf8, source);
  // UTF-8 itself, or an encoding the program does not handle: show the bytes as UTF-8 would.
  if (!probe) {
    impl_->utf8 = true;
    return;
  }
  // Every other encoding the program handles gives each byte one character: a table built once
  // makes decoding a lookup per byte.
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    std::string decoded;
    size_t at = 0;
    const Converter::Stop stop = probe->Convert(std::string_view(&byte, 1), decoded, at);
    impl_->table[static_cast<size_t>(b)] = stop == Converter::Stop::None ? decoded : kReplacement;
  }
}

DisplayDecoder::~DisplayDecoder() = default;

void DisplayDecoder::AppendUtf8(std::string_view in, std::string& out) {
  if (impl_->utf8) {
    AppendValidUtf8(in, out);
    return;
  }
  for (const char c : in) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out += c;
    else
      out += impl_->table[b];
  }
}

}  // namespace rostrel
