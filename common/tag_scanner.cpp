#include "common/tag_scanner.h"

#include <array>
#include <cstring>

namespace rostrel {
namespace {

// The bytes a tag's end is looked for among, outside attribute values.
constexpr std::array<bool, 256> kTagStops = [] {
  std::array<bool, 256> stops{};
  stops['>'] = stops['"'] = stops['\''] = true;
  return stops;
}();

bool IsNameStart(unsigned char c) {
  const unsigned char lower = c | 0x20;
  return (lower >= 'a' && lower <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool StartsWith(const char* at, const char* end, std::string_view prefix) {
  return static_cast<size_t>(end - at) >= prefix.size() &&
         std::memcmp(at, prefix.data(), prefix.size()) == 0;
}

const char* Find(const char* from, const char* end, std::string_view what) {
  const std::string_view rest(from, static_cast<size_t>(end - from));
  const size_t at = rest.find(what);
  return at == std::string_view::npos ? nullptr : from + at;
}

}  // namespace

void TagScanner::Feed(std::string_view piece) {
  begin_ = p_ = piece.data();
  end_ = begin_ + piece.size();
}

bool TagScanner::Next(Token& token) {
  if (p_ == end_) return false;
  const char* start = p_;
  token.continued = open_ != Open::None;
  if (open_ == Open::None) {
    const char* inside = Opener(p_);
    if (!inside) {
      p_ = TextEnd(p_ + 1);
      token.kind = TokenKind::Text;
      token.text = std::string_view(start, static_cast<size_t>(p_ - start));
      token.open = false;
      return true;
    }
    p_ = inside;
  }
  bool closed = false;
  switch (open_) {
    case Open::Tag:
      closed = CloseTag();
      break;
    case Open::Comment:
      closed = CloseAt("-->");
      break;
    case Open::Instruction:
      closed = CloseAt("?>");
      break;
    case Open::CData:
      closed = CloseAt("]]>");
      break;
    case Open::Doctype:
      closed = CloseDoctype();
      break;
    case Open::None:
      break;
  }
  token.kind = kind_;
  token.open = !closed;
  token.text = std::string_view(start, static_cast<size_t>(p_ - start));
  if (closed) open_ = Open::None;
  return true;
}

// Recognises the markup a '<' at `at` begins; returns where its content starts, or nullptr when
// the '<' begins none and is text.
const char* TagScanner::Opener(const char* at) {
  if (*at != '<' || at + 1 == end_) return nullptr;
  const char next = at[1];
  quote_ = 0;
  if (next == '!') {
    if (StartsWith(at, end_, "<!--")) {
      open_ = Open::Comment, kind_ = TokenKind::Comment;
      return at + 4;
    }
    if (StartsWith(at, end_, "<![CDATA[")) {
      open_ = Open::CData, kind_ = TokenKind::CData;
      return at + 9;
    }
    open_ = Open::Doctype, kind_ = TokenKind::Doctype;
    subset_ = subsetComment_ = false;
    return at + 2;
  }
  if (next == '?') {
    open_ = Open::Instruction, kind_ = TokenKind::Instruction;
    return at + 2;
  }
  if (next == '/') {
    open_ = Open::Tag, kind_ = TokenKind::EndTag;
    return at + 2;
  }
  if (!IsNameStart(static_cast<unsigned char>(next))) return nullptr;
  open_ = Open::Tag, kind_ = TokenKind::StartTag;
  return at + 1;
}

// Text runs up to the next '<' that begins markup, or to the end of the piece.
const char* TagScanner::TextEnd(const char* from) const {
  while (from < end_) {
    const void* lt = std::memchr(from, '<', static_cast<size_t>(end_ - from));
    if (!lt) break;
    const char* at = static_cast<const char*>(lt);
    if (at + 1 < end_ && (at[1] == '!' || at[1] == '?' || at[1] == '/' ||
                          IsNameStart(static_cast<unsigned char>(at[1]))))
      return at;
    from = at + 1;
  }
  return end_;
}

// Hops from quote to quote: attribute values, where most of a tag's bytes are, are skipped with
// memchr, and only the bytes between them are looked at one by one.
bool TagScanner::CloseTag() {
  for (;;) {
    if (quote_) {
      const void* close = std::memchr(p_, quote_, static_cast<size_t>(end_ - p_));
      if (!close) {
        p_ = end_;
        return false;
      }
      p_ = static_cast<const char*>(close) + 1;
      quote_ = 0;
    }
    while (p_ < end_ && !kTagStops[static_cast<unsigned char>(*p_)]) ++p_;
    if (p_ == end_) return false;
    const char c = *p_++;
    if (c == '>') {
      // "/>" ends an empty-element tag only when both bytes stand in the same piece.
      if (kind_ == TokenKind::StartTag && p_ - 2 >= begin_ && p_[-2] == '/')
        kind_ = TokenKind::EmptyTag;
      return true;
    }
    quote_ = c;
  }
}

bool TagScanner::CloseAt(std::string_view closer) {
  const char* at = Find(p_, end_, closer);
  p_ = at ? at + closer.size() : end_;
  return at != nullptr;
}

// A DOCTYPE ends at the first '>' outside quoted literals and outside its internal subset;
// comments within the subset may hold any of these.
bool TagScanner::CloseDoctype() {
  while (p_ < end_) {
    if (subsetComment_) {
      subsetComment_ = !CloseAt("-->");
      continue;
    }
    const char c = *p_++;
    if (quote_) {
      if (c == quote_) quote_ = 0;
    } else if (c == '"' || c == '\'') {
      quote_ = c;
    } else if (subset_ && c == '<' && StartsWith(p_ - 1, end_, "<!--")) {
      subsetComment_ = true;
      p_ += 3;
    } else if (c == '[') {
      subset_ = true;
    } else if (c == ']') {
      subset_ = false;
    } else if (c == '>' && !subset_) {
      return true;
    }
  }
  return false;
}

std::string_view TagName(std::string_view tag) {
  size_t b = 0;
  if (b < tag.size() && tag[b] == '<') ++b;
  if (b < tag.size() && tag[b] == '/') ++b;
  size_t e = b;
  while (e < tag.size() && !IsXmlBlank(tag[e]) && tag[e] != '/' && tag[e] != '>') ++e;
  return tag.substr(b, e - b);
}

}  // namespace rostrel
