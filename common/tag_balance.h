#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/tag_scanner.h"

namespace rostrel {

// Whether a document's tags balance and nest, and if not, the first place where they do not.
// Lines are counted from 1, as ForEachLine finds them, unless the caller numbers them itself.
struct TagBalance {
  enum Kind {
    Balanced,
    Mismatched,   // the end tag `name` in `line` meets the element `openName` of `openLine` open
    NothingOpen,  // the end tag `name` in `line` comes with no element open
    NeverClosed,  // the document ends with the element `name` of `line` open (the innermost)
    Unfinished,   // markup of kind `markup` (named `name`, for a tag) begun in `line` never ends
    BrokenQuote,  // a quoted value begun in `line` holds a '<': its closing quote is missing
  };
  Kind kind = Balanced;
  TokenKind markup = TokenKind::Text;
  std::string name;
  size_t line = 0;
  std::string openName;
  size_t openLine = 0;
};

// The finding for a quoted value, begun in `line`, that holds a '<' (see TagScanner).
inline TagBalance BrokenQuoteFrom(size_t line) {
  TagBalance finding;
  finding.kind = TagBalance::BrokenQuote;
  finding.line = line;
  return finding;
}

// The check fed one line at a time, each with the number it is known by: it can look at a part
// of a document, or at lines that are being made, and name them as their file counts them.
// Comments, processing instructions, CDATA sections and a DOCTYPE are skipped as single pieces
// of markup, whatever tags they hold.
class TagBalanceChecker {
 public:
  // Takes the next line; false once the first fault is found.
  bool Line(std::string_view line, size_t number);
  // The finding, once every line has been given.
  TagBalance Finish();

 private:
  struct OpenElement {
    size_t nameAt;  // where its name starts in names_
    size_t line;
  };

  // Each records the first fault it finds in result_.
  void Take(const Token& token);
  void Close(std::string_view name);
  std::string_view InnermostName() const;

  TagScanner scanner_;
  std::vector<OpenElement> open_;
  std::string names_;       // the open elements' names, one after another
  std::string markupName_;  // the name of a tag left open at the end of a line
  size_t markupLine_ = 0, lineNumber_ = 0;
  TokenKind lastKind_ = TokenKind::Text;
  TagBalance result_;
};

// Checks a whole document, its lines numbered from 1.
TagBalance CheckTagBalance(std::string_view document);

// The finding in a few Polish words, to be put into a message: "znacznik </CLUB> w wierszu 12
// nie zamyka otwartego znacznika <ATHLETES> z wiersza 9". Empty for a balanced document.
std::string DescribeTagBalance(const TagBalance& balance);

}  // namespace rostrel
