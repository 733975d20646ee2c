#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/tag_scanner.h"

namespace rostrel {

// Whether a document's tags balance and nest, and if not, the first place where they do not.
// Lines are counted from 1, as ForEachLine finds them.
struct TagBalance {
  enum Kind {
    Balanced,
    Mismatched,   // the end tag `name` in `line` meets the element `openName` of `openLine` open
    NothingOpen,  // the end tag `name` in `line` comes with no element open
    NeverClosed,  // the document ends with the element `name` of `line` open (the innermost)
    Unfinished,   // markup of kind `markup` (named `name`, for a tag) begun in `line` never ends
  };
  Kind kind = Balanced;
  TokenKind markup = TokenKind::Text;
  std::string name;
  size_t line = 0;
  std::string openName;
  size_t openLine = 0;
};

// Scans the whole document once. Comments, processing instructions, CDATA sections and a
// DOCTYPE are skipped as single pieces of markup, whatever tags they hold.
TagBalance CheckTagBalance(std::string_view document);

// The finding in a few Polish words, to be put into a message: "znacznik </CLUB> w wierszu 12
// nie zamyka otwartego znacznika <ATHLETES> z wiersza 9". Empty for a balanced document.
std::string DescribeTagBalance(const TagBalance& balance);

}  // namespace rostrel
