#include "common/encoding.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>

#include "common/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace rostrel {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct Alias {
  const char* alias;
  const char* canonical;
};

constexpr Alias kAliases[] = {
    {"utf-8", "UTF-8"},           {"utf8", "UTF-8"},
    {"windows-1250", "Windows-1250"}, {"windows1250", "Windows-1250"},
    {"cp1250", "Windows-1250"},   {"cp-1250", "Windows-1250"},
    {"x-cp1250", "Windows-1250"}, {"win-1250", "Windows-1250"},
    {"iso-8859-2", "ISO-8859-2"}, {"iso8859-2", "ISO-8859-2"},
    {"iso_8859-2", "ISO-8859-2"}, {"latin2", "ISO-8859-2"},
    {"l2", "ISO-8859-2"},         {"windows-1252", "Windows-1252"},
    {"windows1252", "Windows-1252"}, {"cp1252", "Windows-1252"},
    {"iso-8859-1", "ISO-8859-1"}, {"iso8859-1", "ISO-8859-1"},
    {"iso_8859-1", "ISO-8859-1"}, {"latin1", "ISO-8859-1"},
    {"l1", "ISO-8859-1"},         {"us-ascii", "US-ASCII"},
    {"ascii", "US-ASCII"},
};

std::string Canonical(std::string_view name) {
  const std::string lower = Lower(name);
  for (const Alias& a : kAliases)
    if (lower == a.alias) return a.canonical;
  return std::string(name);
}

}  // namespace

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

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The character that starts at `at` in UTF-8 text, for messages ("ą" or "U+0105").
std::string CharacterAt(std::string_view utf8, size_t at) {
  if (at >= utf8.size()) return "?";
  const auto lead = static_cast<unsigned char>(utf8[at]);
  size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::string(utf8.substr(at, len));
}

// Appends UTF-8 text as it is when it is valid, with each invalid byte replaced by U+FFFD.
void AppendValidUtf8(std::string_view in, std::string& out) {
  size_t i = 0;
  const size_t n = in.size();
  while (i < n) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      size_t j = i + 1;  // copy a run of ASCII at once
      while (j < n && static_cast<unsigned char>(in[j]) < 0x80) ++j;
      out.append(in.data() + i, j - i);
      i = j;
      continue;
    }
    size_t len = 0;
    uint32_t cp = 0, min = 0;
    if (b >= 0xC2 && b <= 0xDF) len = 2, cp = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF) len = 3, cp = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4) len = 4, cp = b & 0x07, min = 0x10000;
    bool valid = len != 0 && i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) {
      const auto c = static_cast<unsigned char>(in[i + k]);
      valid = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    valid = valid && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (valid) {
      out.append(in.data() + i, len);
      i += len;
    } else {
      out += kReplacement;
      ++i;
    }
  }
}

#ifndef _WIN32

// One iconv conversion handle, closed when it goes.
class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the whole input, appending to out. Returns 0, or the errno that stopped it with
  // `stoppedAt` set to the input offset where it stopped.
  int Convert(std::string_view in, std::string& out, size_t& stoppedAt) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[16384];
    while (true) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t r = srcLeft ? iconv(cd_, &src, &srcLeft, &dst, &dstLeft)
                               : iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
      const int error = r == static_cast<size_t>(-1) ? errno : 0;
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (error == E2BIG) continue;
      stoppedAt = in.size() - srcLeft;
      if (error) return error;
      if (srcLeft == 0) return 0;
    }
  }

 private:
  iconv_t cd_;
};

#endif

}  // namespace

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
    return Canonical(firstLine.substr(p, close - p));
  }
  return kUtf8;
}

bool SameEncoding(std::string_view a, std::string_view b) {
  return Lower(Canonical(a)) == Lower(Canonical(b));
}

bool IsAsciiCompatible(const std::string& encoding) {
  // Every printable ASCII character, the blank and the line ends must come out unchanged.
  std::string ascii = "\t\r\n";
  for (char c = ' '; c < 0x7F; ++c) ascii += c;
  std::string encoded, error;
  return ConvertText(ascii, kUtf8, encoding, encoded, error) && encoded == ascii;
}

struct DisplayDecoder::Impl {
  bool utf8 = false;
  bool singleByte = false;
  std::array<std::string, 256> table;  // UTF-8 form of each byte, for single-byte encodings
#ifndef _WIN32
  std::unique_ptr<Iconv> stream;  // for multi-byte encodings other than UTF-8
#endif
};

#ifndef _WIN32

bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out, std::string& error) {
  out.clear();
  // Through UTF-8, so that the message can tell a damaged source from a character that the
  // target cannot hold, and name that character. UTF-8 text goes to the target directly and is
  // checked on its own only when that fails: a clubs section can run to tens of megabytes.
  const std::string source = Canonical(from), target = Canonical(to);
  const bool fromUtf8 = SameEncoding(source, kUtf8);
  const auto damaged = [&](const std::string& name, size_t at) {
    error = "Tekst nie jest poprawnie zapisany w kodowaniu " + name + " (bajt " +
            std::to_string(at + 1) + ").";
    return false;
  };
  // The offset of the first byte that is not UTF-8, or npos.
  const auto invalidUtf8At = [&]() -> size_t {
    Iconv check(kUtf8, kUtf8);
    std::string ignored;
    size_t at = 0;
    if (check.ok() && check.Convert(in, ignored, at) != 0) return at;
    return std::string::npos;
  };
  std::string decoded;
  std::string_view utf8 = in;
  if (!fromUtf8) {
    Iconv decode(kUtf8, source);
    if (!decode.ok()) {
      error = "Nieznane kodowanie znaków: " + source + ".";
      return false;
    }
    size_t at = 0;
    if (decode.Convert(in, decoded, at) != 0) return damaged(source, at);
    utf8 = decoded;
  }
  if (SameEncoding(target, kUtf8)) {
    if (!fromUtf8) {
      out = std::move(decoded);
      return true;
    }
    if (const size_t at = invalidUtf8At(); at != std::string::npos) return damaged(kUtf8, at);
    out.assign(in);
    return true;
  }
  Iconv encode(target, kUtf8);
  if (!encode.ok()) {
    error = "Nieznane kodowanie znaków: " + target + ".";
    return false;
  }
  out.reserve(utf8.size());
  size_t at = 0;
  if (encode.Convert(utf8, out, at) != 0) {
    out.clear();
    if (fromUtf8) {
      if (const size_t bad = invalidUtf8At(); bad != std::string::npos) return damaged(kUtf8, bad);
    }
    error = "Znaku „" + CharacterAt(utf8, at) + "” nie da się zapisać w kodowaniu " + target + ".";
    return false;
  }
  return true;
}

DisplayDecoder::DisplayDecoder(const std::string& from) : impl_(std::make_unique<Impl>()) {
  const std::string source = Canonical(from);
  if (SameEncoding(source, kUtf8) || SameEncoding(source, "US-ASCII")) {
    impl_->utf8 = true;
    return;
  }
  Iconv probe(kUtf8, source);
  if (!probe.ok()) {  // an encoding nobody knows: show the bytes as UTF-8 would
    impl_->utf8 = true;
    return;
  }
  // Most encodings met in practice map every byte to at most one character: a table built once
  // makes decoding a lookup per byte.
  impl_->singleByte = true;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    std::string decoded;
    size_t at = 0;
    const int error = probe.Convert(std::string_view(&byte, 1), decoded, at);
    if (error == EINVAL) {  // an incomplete sequence: this encoding has multi-byte characters
      impl_->singleByte = false;
      break;
    }
    impl_->table[static_cast<size_t>(b)] = error ? std::string(kReplacement) : decoded;
  }
  if (!impl_->singleByte) impl_->stream = std::make_unique<Iconv>(kUtf8, source);
}

#else  // Windows: the system's code-page functions.

namespace {

// The code page behind a canonical name, or 0 when Windows has none for it.
UINT CodePage(const std::string& canonical) {
  struct Page {
    const char* name;
    UINT page;
  };
  static constexpr Page kPages[] = {
      {"UTF-8", CP_UTF8},       {"Windows-1250", 1250}, {"ISO-8859-2", 28592},
      {"Windows-1252", 1252},   {"ISO-8859-1", 28591},  {"US-ASCII", 20127},
  };
  for (const Page& p : kPages)
    if (SameEncoding(canonical, p.name)) return p.page;
  return 0;
}

bool ToWide(std::string_view in, UINT page, std::wstring& out) {
  out.clear();
  if (in.empty()) return true;
  const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(),
                                    static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                             out.data(), n) == n;
}

// Encodes wide text; false when a character has no form in the code page.
bool FromWide(std::wstring_view in, UINT page, std::string& out) {
  out.clear();
  if (in.empty()) return true;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPtr = page == CP_UTF8 ? nullptr : &usedDefault;
  const DWORD flags = page == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(page, flags, in.data(), static_cast<int>(in.size()), nullptr,
                                    0, nullptr, usedDefaultPtr);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(page, flags, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr,
                      usedDefaultPtr);
  return !usedDefault;
}

}  // namespace

bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out, std::string& error) {
  out.clear();
  const std::string source = Canonical(from), target = Canonical(to);
  const UINT sourcePage = CodePage(source), targetPage = CodePage(target);
  if (!sourcePage || !targetPage) {
    error = "Nieznane kodowanie znaków: " + (sourcePage ? target : source) + ".";
    return false;
  }
  std::wstring wide;
  if (!ToWide(in, sourcePage, wide)) {
    error = "Tekst nie jest poprawnie zapisany w kodowaniu " + source + ".";
    return false;
  }
  if (FromWide(wide, targetPage, out)) return true;
  // Find the first character the target cannot hold, to name it.
  for (size_t i = 0; i < wide.size(); ++i) {
    const size_t len = (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size()) ? 2 : 1;
    std::string one;
    if (!FromWide(std::wstring_view(wide).substr(i, len), targetPage, one)) {
      std::string utf8;
      FromWide(std::wstring_view(wide).substr(i, len), CP_UTF8, utf8);
      error = "Znaku „" + utf8 + "” nie da się zapisać w kodowaniu " + target + ".";
      out.clear();
      return false;
    }
    i += len - 1;
  }
  error = "Tekstu nie da się zapisać w kodowaniu " + target + ".";
  out.clear();
  return false;
}

DisplayDecoder::DisplayDecoder(const std::string& from) : impl_(std::make_unique<Impl>()) {
  const UINT page = CodePage(Canonical(from));
  if (page == 0 || page == CP_UTF8) {
    impl_->utf8 = true;
    return;
  }
  impl_->singleByte = true;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    std::wstring wide;
    std::string decoded;
    if (ToWide(std::string_view(&byte, 1), page, wide) && FromWide(wide, CP_UTF8, decoded))
      impl_->table[static_cast<size_t>(b)] = decoded;
    else
      impl_->table[static_cast<size_t>(b)] = kReplacement;
  }
}

#endif

DisplayDecoder::~DisplayDecoder() = default;

void DisplayDecoder::AppendUtf8(std::string_view in, std::string& out) {
  if (impl_->utf8) {
    AppendValidUtf8(in, out);
    return;
  }
  if (impl_->singleByte) {
    for (const char c : in) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x80)
        out += c;
      else
        out += impl_->table[b];
    }
    return;
  }
#ifndef _WIN32
  while (!in.empty()) {
    size_t at = 0;
    const int error = impl_->stream->Convert(in, out, at);
    if (!error) return;
    out += kReplacement;
    in.remove_prefix(at + 1);
  }
#endif
}

}  // namespace rostrel
