#include "common/tag_balance.h"

#include <vector>

#include "common/text.h"

namespace rostrel {
namespace {

class BalanceChecker {
 public:
  // Takes the next line; false once the first fault is found.
  bool Line(std::string_view line) {
    ++lineNumber_;
    scanner_.Feed(line);
    Token token;
    if (scanner_.SoleTag(token)) return Take(token);
    while (scanner_.Next(token))
      if (!Take(token)) return false;
    return true;
  }

  TagBalance Finish() {
    if (result_.kind != TagBalance::Balanced) return result_;
    if (scanner_.InsideMarkup()) {
      result_.kind = TagBalance::Unfinished;
      result_.markup = lastKind_;
      result_.name = std::string(TagName(markupStart_));
      result_.line = markupLine_;
    } else if (!open_.empty()) {
      result_.kind = TagBalance::NeverClosed;
      result_.name = std::string(open_.back().name);
      result_.line = open_.back().line;
    }
    return result_;
  }

 private:
  struct OpenElement {
    std::string_view name;
    size_t line;
  };

  bool Take(const Token& token) {
    if (!token.continued) {
      markupStart_ = token.text;
      markupLine_ = lineNumber_;
    }
    lastKind_ = token.kind;
    if (token.open) return true;
    if (token.kind == TokenKind::StartTag) open_.push_back({TagName(markupStart_), markupLine_});
    return token.kind != TokenKind::EndTag || Close();
  }

  bool Close() {
    const std::string_view name = TagName(markupStart_);
    if (!open_.empty() && open_.back().name == name) {
      open_.pop_back();
      return true;
    }
    result_.kind = open_.empty() ? TagBalance::NothingOpen : TagBalance::Mismatched;
    result_.name = std::string(name);
    result_.line = markupLine_;
    if (!open_.empty()) {
      result_.openName = std::string(open_.back().name);
      result_.openLine = open_.back().line;
    }
    return false;
  }

  TagScanner scanner_;
  std::vector<OpenElement> open_;
  std::string_view markupStart_;  // the first part of the markup being scanned
  size_t markupLine_ = 0, lineNumber_ = 0;
  TokenKind lastKind_ = TokenKind::Text;
  TagBalance result_;
};

std::string DescribeUnfinished(const TagBalance& b) {
  const std::string from = " w wierszu " + std::to_string(b.line) + " nie kończy się ";
  switch (b.markup) {
    case TokenKind::Comment:
      return "komentarz rozpoczęty" + from + "znakami -->";
    case TokenKind::Instruction:
      return "instrukcja <? rozpoczęta" + from + "znakami ?>";
    case TokenKind::CData:
      return "sekcja CDATA rozpoczęta" + from + "znakami ]]>";
    case TokenKind::Doctype:
      return "deklaracja <! rozpoczęta" + from + "znakiem >";
    case TokenKind::EndTag:
      return "znacznik </" + b.name + " rozpoczęty" + from + "znakiem >";
    default:
      return "znacznik <" + b.name + " rozpoczęty" + from + "znakiem >";
  }
}

}  // namespace

TagBalance CheckTagBalance(std::string_view document) {
  BalanceChecker checker;
  ForEachLine(document, [&](std::string_view line) { return checker.Line(line); });
  return checker.Finish();
}

std::string DescribeTagBalance(const TagBalance& b) {
  const std::string line = std::to_string(b.line);
  switch (b.kind) {
    case TagBalance::Balanced:
      return {};
    case TagBalance::Mismatched:
      return "znacznik </" + b.name + "> w wierszu " + line + " nie zamyka otwartego znacznika <" +
             b.openName + "> z wiersza " + std::to_string(b.openLine);
    case TagBalance::NothingOpen:
      return "znacznik </" + b.name + "> w wierszu " + line +
             " zamyka element, który nie został otwarty";
    case TagBalance::NeverClosed:
      return "znacznik <" + b.name + "> z wiersza " + line + " nie został zamknięty";
    case TagBalance::Unfinished:
      return DescribeUnfinished(b);
  }
  return {};
}

}  // namespace rostrel
