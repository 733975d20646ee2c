#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rostrel {

// What a token of a document is. The scanner finds tags, not XML: it knows no entities and no
// DTD, and checks neither names nor attributes.
enum class TokenKind : uint8_t {
  Text,         // the bytes between two pieces of markup, blanks included
  StartTag,     // <NAME ...>
  EndTag,       // </NAME>
  EmptyTag,     // <NAME .../>
  Comment,      // <!-- ... -->
  Instruction,  // <? ... ?>, the XML declaration among them
  CData,        // <![CDATA[ ... ]]>
  Doctype,      // <!DOCTYPE ...> with its internal subset in [...]; any other <!...> as well
};

struct Token {
  TokenKind kind = TokenKind::Text;
  std::string_view text;   // the token's bytes within the piece being scanned
  bool continued = false;  // the token began in an earlier piece
  bool open = false;       // the token runs on into the next piece
};

// Cuts a document into tokens, one piece (usually one line) at a time. A tag, comment or other
// piece of markup left open at the end of a piece continues in the next one, so a start tag
// written over three lines comes out as three parts: the first with `open`, the middle one with
// `continued` and `open`, the last with `continued`. Quotes count inside tags: a '>' in an
// attribute value does not end the tag.
//
// A tag still open at the end of a piece is reported as a StartTag (or EndTag, for "</"); the
// part that closes it says whether it turned out to be an EmptyTag. A '<' that starts no markup
// (followed by a blank, a digit, or the end of the piece) is text.
//
// XML allows no '<' in an attribute value. One met inside a quoted value of a tag means, as a
// rule, that the value's closing quote is missing and the rest of the document would be taken
// for one tag: the scanner notes the number of the piece where that value began.
//
// The scanner is a few pointers and flags: copying it is cheap, and scanning ahead on a copy
// leaves the original where it was.
class TagScanner {
 public:
  // Starts on the document's next piece, whose number (its line number, as the caller counts
  // lines) is `number`; markup open at the end of the last piece continues.
  void Feed(std::string_view piece, size_t number);
  // The next token of the piece; false when the piece is used up.
  bool Next(Token& token);
  // When nothing is open and the rest of the piece is one whole tag between blanks, the commonest
  // line of all, takes it at once as `token` (the tag alone); otherwise false, with nothing taken.
  bool SoleTag(Token& token);
  // Markup runs on past the end of the last piece.
  bool InsideMarkup() const { return open_ != Open::None; }
  // That markup is a tag and stands inside a quoted attribute value.
  bool InsideQuotes() const { return open_ == Open::Tag && quote_ != 0; }
  // The number of the piece where the first quoted value of a tag that holds a '<' began; 0
  // while there is none.
  size_t BrokenQuote() const { return brokenQuote_; }

 private:
  enum class Open : uint8_t { None, Tag, Comment, Instruction, CData, Doctype };

  const char* Opener(const char* at);  // starts the markup at `at`; its first byte after
  const char* TextEnd(const char* from) const;
  bool CloseTag();
  bool EndTagAt(const char* gt);
  bool CloseDoctype();
  bool CloseAt(std::string_view closer);

  const char* begin_ = nullptr;  // the piece being scanned
  const char* p_ = nullptr;
  const char* end_ = nullptr;
  size_t piece_ = 0;        // the number of the piece being scanned
  size_t quoteFrom_ = 0;    // the piece where the open attribute value began
  size_t brokenQuote_ = 0;  // see BrokenQuote()
  Open open_ = Open::None;
  TokenKind kind_ = TokenKind::Text;  // of the open markup
  char quote_ = 0;                    // the quote an open attribute value or literal began with
  bool subset_ = false;               // inside a DOCTYPE's [...]
  bool subsetComment_ = false;        // inside a comment within that subset
};

// The name of a start, end or empty-element tag written out whole or begun in `tag`: the bytes
// after "<" or "</" up to a blank, '/' or '>'.
std::string_view TagName(std::string_view tag);

// Blank as XML counts it within a line: space, tab and a carriage return.
inline bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace rostrel
