#include "common/tag_balance.h"

#include "common/text.h"

namespace rostrel {

bool TagBalanceChecker::Line(std::string_view line, size_t number) {
  // After a finding nothing more is looked at, not even the rest of its line.
  if (result_.kind == TagBalance::Balanced) {
    lineNumber_ = number;
    scanner_.Feed(line, number);
    Token token;
    if (scanner_.SoleTag(token)) {
      Take(token);
    } else {
      while (result_.kind == TagBalance::Balanced && scanner_.Next(token)) Take(token);
    }
  }
  return result_.kind == TagBalance::Balanced;
}

TagBalance TagBalanceChecker::Finish() {
  if (result_.kind != TagBalance::Balanced) return result_;
  if (scanner_.InsideMarkup()) {
    result_.kind = TagBalance::Unfinished;
    result_.markup = lastKind_;
    result_.name = markupName_;
    result_.line = markupLine_;
  } else if (!open_.empty()) {
    result_.kind = TagBalance::NeverClosed;
    result_.name = InnermostName();
    result_.line = open_.back().line;
  }
  return result_;
}

// The lines given live only during the call: the names of open elements, and of a tag that goes
// on into the next line, are kept as copies, the former one after another in one string.
void TagBalanceChecker::Take(const Token& token) {
  if (scanner_.BrokenQuote() != 0) {
    result_.kind = TagBalance::BrokenQuote;
    result_.line = scanner_.BrokenQuote();
    return;
  }
  if (!token.continued) {
    markupLine_ = lineNumber_;
    if (token.open) markupName_.assign(TagName(token.text));
  }
  lastKind_ = token.kind;
  if (token.open) return;
  if (token.kind != TokenKind::StartTag && token.kind != TokenKind::EndTag) return;
  const std::string_view name =
      token.continued ? std::string_view(markupName_) : TagName(token.text);
  if (token.kind == TokenKind::EndTag) {
    Close(name);
    return;
  }
  open_.push_back({names_.size(), markupLine_});
  names_ += name;
}

void TagBalanceChecker::Close(std::string_view name) {
  if (!open_.empty() && InnermostName() == name) {
    names_.resize(open_.back().nameAt);
    open_.pop_back();
    return;
  }
  result_.kind = open_.empty() ? TagBalance::NothingOpen : TagBalance::Mismatched;
  result_.name = std::string(name);
  result_.line = markupLine_;
  if (!open_.empty()) {
    result_.openName = InnermostName();
    result_.openLine = open_.back().line;
  }
}

std::string_view TagBalanceChecker::InnermostName() const {
  return std::string_view(names_).substr(open_.back().nameAt);
}

namespace {

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
  TagBalanceChecker checker;
  size_t number = 0;
  ForEachLine(document, [&](std::string_view line) { return checker.Line(line, ++number); });
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
    case TagBalance::BrokenQuote:
      return "cudzysłów otwarty w wierszu " + line + " nie został zamknięty przed znakiem <";
  }
  return {};
}

}  // namespace rostrel
