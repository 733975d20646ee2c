#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "common/converter.h"
#include "common/encoding.h"

namespace rostrel {
namespace {

constexpr UINT kAscii = 20127;

// The code page behind a canonical name, or 0 when Windows has none for it.
UINT CodePage(const std::string& name) {
  struct Page {
    const char* name;
    UINT page;
  };
  static constexpr Page kPages[] = {
      {"UTF-8", CP_UTF8},    {"Windows-1250", 1250}, {"Windows-1252", 1252}, {"ISO-8859-1", 28591},
      {"ISO-8859-2", 28592}, {"ISO-8859-15", 28605}, {"IBM852", 852},        {"US-ASCII", kAscii},
  };
  for (const Page& p : kPages)
    if (SameEncoding(name, p.name)) return p.page;
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
  const int n = WideCharToMultiByte(page, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                    nullptr, usedDefaultPtr);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(page, flags, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr,
                      usedDefaultPtr);
  return !usedDefault;
}

// The bytes of the character that starts at `at`: UTF-8 by its lead byte, one elsewhere.
size_t CharacterLength(std::string_view in, size_t at, UINT page) {
  if (page != CP_UTF8) return 1;
  const auto lead = static_cast<unsigned char>(in[at]);
  const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::min(length, in.size() - at);
}

class CodePageConverter : public Converter {
 public:
  CodePageConverter(UINT from, UINT to) : from_(from), to_(to) {}

  Stop Convert(std::string_view in, std::string& out, size_t& stoppedAt) override {
    if (Through(in, out)) return Stop::None;
    // Character by character up to the first that does not go through, as iconv stops.
    size_t at = 0;
    while (at < in.size()) {
      std::string one;
      const size_t length = CharacterLength(in, at, from_);
      if (!Through(in.substr(at, length), one)) break;
      at += length;
    }
    Through(in.substr(0, at), out);
    stoppedAt = at;
    return Stop::Invalid;
  }

 private:
  // Appends the whole of `in`, converted, or nothing.
  bool Through(std::string_view in, std::string& out) const {
    std::wstring wide;
    std::string encoded;
    if (!ToWide(in, from_, wide) || !FromWide(wide, to_, encoded)) return false;
    if ((IsWindowsPage(from_) || IsWindowsPage(to_)) && HasC1Control(wide)) return false;
    // Code page 20127 drops the high bit of every byte ("é³" becomes "i3"), where iconv refuses
    // the byte. (The other way, a character that is not ASCII takes the default character.)
    if (from_ == kAscii && !IsAscii(in)) return false;
    out += encoded;
    return true;
  }

  // Windows-125x code pages leave a few bytes of 0x80 to 0x9F undefined, and Windows maps them
  // to the C1 controls U+0080 to U+009F anyway; iconv refuses them, and so does this converter.
  static bool IsWindowsPage(UINT page) { return page == 1250 || page == 1252; }
  static bool HasC1Control(std::wstring_view wide) {
    for (const wchar_t c : wide)
      if (c >= 0x80 && c <= 0x9F) return true;
    return false;
  }
  static bool IsAscii(std::string_view in) {
    for (const char c : in)
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
  }

  UINT from_, to_;
};

}  // namespace

std::unique_ptr<Converter> Converter::Open(const std::string& to, const std::string& from) {
  const UINT fromPage = CodePage(from), toPage = CodePage(to);
  if (!fromPage || !toPage) return nullptr;
  return std::make_unique<CodePageConverter>(fromPage, toPage);
}

}  // namespace rostrel
