#include "common/tag_scanner.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace rostrel {
namespace {

constexpr uint64_t kOnes = 0x0101010101010101u, kLow7 = 0x7F7F7F7F7F7F7F7Fu,
                   kHighs = 0x8080808080808080u;

// 0x80 in each byte of the word that equals c, 0 elsewhere.
uint64_t BytesEqual(uint64_t word, char c) {
  const uint64_t x = word ^ (static_cast<unsigned char>(c) * kOnes);
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

struct TagEnd {
  const char* gt;  // the first '>', or nullptr
  bool paired;     // the bytes before it hold no apostrophe and an even number of double quotes
};

// The first '>' in [p, end), and whether it stands outside every attribute value. This is the
// check every tag gets, so it takes eight bytes at a time with no branch per quote; the last
// few bytes are taken with the eight that end at `end`, when the piece from `begin` holds them.
TagEnd TagEndOutsideQuotes(const char* begin, const char* p, const char* end) {
  uint64_t quotes = 0, apostrophes = 0;
  const char* gt = nullptr;
  const auto take = [&](const char* at, uint64_t looked) {  // looked: the bytes' 0x80 bits
    uint64_t word;
    std::memcpy(&word, at, 8);
    uint64_t q = BytesEqual(word, '"') & looked, a = BytesEqual(word, '\'') & looked;
    if (const uint64_t g = BytesEqual(word, '>') & looked) {
      const uint64_t before = (g & (~g + 1)) - 1;  // the bytes below the first '>'
      q &= before, a &= before;
      gt = at + std::countr_zero(g) / 8;
    }
    quotes ^= q;  // only whether their number is even matters
    apostrophes |= a;
  };
  if constexpr (std::endian::native == std::endian::little) {
    for (; !gt && end - p >= 8; p += 8) take(p, kHighs);
    if (!gt && p < end && end - begin >= 8) {
      take(end - 8, kHighs << (8 * (8 - (end - p))));
      p = end;
    }
  }
  for (; !gt && p < end; ++p) {
    if (*p == '>') gt = p;
    quotes ^= *p == '"' ? 0x80 : 0;
    apostrophes |= *p == '\'';
  }
  quotes ^= quotes >> 32;
  quotes ^= quotes >> 16;
  quotes ^= quotes >> 8;
  return {gt, apostrophes == 0 && (quotes & 0x80) == 0};
}

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

void TagScanner::Feed(std::string_view piece, size_t number) {
  piece_ = number;
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

bool TagScanner::SoleTag(Token& token) {
  if (open_ != Open::None) return false;
  const char* at = p_;
  while (at < end_ && IsXmlBlank(*at)) ++at;
  const TagScanner before = *this;
  const char* inside = at < end_ ? Opener(at) : nullptr;
  if (inside && open_ == Open::Tag) {
    p_ = inside;
    if (CloseTag()) {
      const char* rest = p_;
      // Only a fast path: wherever it declines, Next finds the very same tokens. (So <= here,
      // which would step onto the line end after the line and then decline, means the same.)
      while (rest < end_ && IsXmlBlank(*rest)) ++rest;
      if (rest == end_) {
        token = {kind_, std::string_view(at, static_cast<size_t>(p_ - at)), false, false};
        open_ = Open::None;
        p_ = end_;
        return true;
      }
    }
  }
  *this = before;
  return false;
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
    // A '<' that ends the piece is text; the byte after it, a line end, would begin nothing.
    if (at + 1 < end_ && (at[1] == '!' || at[1] == '?' || at[1] == '/' ||
                          IsNameStart(static_cast<unsigned char>(at[1]))))
      return at;
    from = at + 1;
  }
  return end_;
}

// Mostly one look for the '>' that counts the quotes before it. When that cannot tell (an
// apostrophe, a '>' inside a value, a tag begun or going on in another piece), the tag is
// walked byte by byte, where within a value only its own quote counts, and a '<' is noted.
bool TagScanner::CloseTag() {
  if (!quote_) {
    const TagEnd end = TagEndOutsideQuotes(begin_, p_, end_);
    if (end.gt && end.paired) return EndTagAt(end.gt);
  }
  for (; p_ < end_; ++p_) {
    const char c = *p_;
    if (quote_) {
      if (c == quote_) {
        quote_ = 0;
      } else if (c == '<' && brokenQuote_ == 0) {
        brokenQuote_ = quoteFrom_;
      }
    } else if (c == '>') {
      return EndTagAt(p_);
    } else if (c == '"' || c == '\'') {
      quote_ = c;
      quoteFrom_ = piece_;
    }
  }
  return false;
}

// "/>" ends an empty-element tag only when both bytes stand in the same piece.
bool TagScanner::EndTagAt(const char* gt) {
  if (kind_ == TokenKind::StartTag && gt > begin_ && gt[-1] == '/') kind_ = TokenKind::EmptyTag;
  p_ = gt + 1;
  return true;
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
  if (tag.starts_with('<')) tag.remove_prefix(1);
  if (tag.starts_with('/')) tag.remove_prefix(1);
  size_t e = 0;
  while (e < tag.size() && !IsXmlBlank(tag[e]) && tag[e] != '/' && tag[e] != '>') ++e;
  return tag.substr(0, e);
}

}  // namespace rostrel
