#include "common/lef_layout.h"

#include "common/text.h"

namespace rostrel {
namespace {

bool IsBlank(std::string_view text) {
  for (const char c : text)
    if (!IsXmlBlank(c)) return false;
  return true;
}

std::string_view TrimXmlBlanks(std::string_view s) {
  while (!s.empty() && IsXmlBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsXmlBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The next token that is not blank text.
bool NextSolid(TagScanner& scanner, Token& token) {
  while (scanner.Next(token))
    if (token.kind != TokenKind::Text || !IsBlank(token.text)) return true;
  return false;
}

// After a start tag: the text and end tag of the same element that follow it on the same line
// with no other tag between (scanned past), or nothing when the element goes on beyond them.
std::string_view SameLineEnd(TagScanner& scanner, std::string_view startTag) {
  TagScanner ahead = scanner;
  Token token;
  if (!ahead.Next(token)) return {};
  const char* from = token.text.data();
  if (token.kind == TokenKind::Text && !ahead.Next(token)) return {};
  if (token.kind != TokenKind::EndTag || token.open || TagName(token.text) != TagName(startTag))
    return {};
  scanner = ahead;
  return std::string_view(from, static_cast<size_t>(token.text.data() + token.text.size() - from));
}

// Markup left open at the end of a line that is joined with the next: tags, so that all of an
// athlete's attributes stand on its line, and the XML declaration, which must fill line 1.
bool JoinsLines(const Token& token) {
  if (token.kind == TokenKind::StartTag || token.kind == TokenKind::EndTag) return true;
  constexpr std::string_view kDeclaration = "<?xml";
  return token.kind == TokenKind::Instruction &&
         token.text.substr(0, kDeclaration.size()) == kDeclaration &&
         (token.text.size() == kDeclaration.size() || IsXmlBlank(token.text[kDeclaration.size()]));
}

}  // namespace

bool LefLayout::Take(std::string_view line, Sink sink) {
  if (stopped_) return false;
  sink_ = &sink;
  std::string_view body = line;
  if (++lines_ == 1 && body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bom_ = kUtf8Bom;
    body.remove_prefix(kUtf8Bom.size());
  }
  source_ = lines_;
  scanner_.Feed(body, lines_);
  if (joining_ || !PassUntouched(line)) {
    changed_ = true;
    Cut(body);
  }
  sink_ = nullptr;
  return !stopped_;
}

bool LefLayout::Flush(Sink sink) {
  if (stopped_) return false;
  if (joining_) {
    sink_ = &sink;
    joining_ = false;
    source_ = joinFrom_;
    EmitNew(joined_, {}, false);
    sink_ = nullptr;
  }
  return !stopped_;
}

// The quick look every line gets: a line that holds one element is emitted as it is, with no
// copy. Scans on a copy of the scanner, so that a line found to hold more is cut from its start.
bool LefLayout::PassUntouched(std::string_view line) {
  Token token;
  if (scanner_.SoleTag(token)) {
    const bool root = IsRoot(token.kind);
    if (token.kind == TokenKind::EndTag && depth_ > 0) --depth_;
    Emit(line, root);
    if (token.kind == TokenKind::StartTag) ++depth_;
    return true;
  }
  TagScanner scanner = scanner_;
  int step = 0, markup = 0;
  bool root = false;
  while (NextSolid(scanner, token)) {
    // Text beside a line's one piece of markup stays with it: the tag already stands alone.
    if (token.kind == TokenKind::Text) continue;
    if (++markup > 1) return false;
    if (token.open && !token.continued && JoinsLines(token)) return false;
    // Open or continued here is only a comment or the like, which moves no level: || would do.
    if (!token.open && !token.continued) {
      root = IsRoot(token.kind);
      if (token.kind == TokenKind::StartTag && SameLineEnd(scanner, token.text).empty()) step = 1;
      if (token.kind == TokenKind::EndTag) step = -1;
    }
  }
  scanner_ = scanner;
  if (step < 0 && depth_ > 0) --depth_;
  Emit(line, root);
  depth_ += step > 0 ? 1 : 0;
  return true;
}

// Cuts a line into lines of one element each, joining tags that run over several lines.
void LefLayout::Cut(std::string_view line) {
  if (joining_ && line.empty() && breakQuoted_) joined_ += ' ';
  Token token;
  while (!stopped_ && scanner_.Next(token)) {
    if (joining_) {
      Join(token.text);
      if (token.open) continue;
      joining_ = false;
      source_ = joinFrom_;
      Whole(token.kind, joined_);
      source_ = lines_;
    } else if (token.continued) {
      Emit(token.text, false);  // the rest of a comment or the like, as it stands
    } else if (token.open) {
      if (JoinsLines(token))
        BeginJoin(token.text);
      else
        EmitNew(token.text, {}, false);
    } else if (token.kind == TokenKind::Text) {
      const std::string_view text = TrimXmlBlanks(token.text);
      if (!text.empty()) EmitNew(text, {}, false);
    } else {
      Whole(token.kind, token.text);
    }
  }
  if (joining_) breakQuoted_ = scanner_.InsideQuotes();
}

// A whole piece of markup, written anew on a line of its own.
void LefLayout::Whole(TokenKind kind, std::string_view text) {
  const bool root = IsRoot(kind);
  if (kind == TokenKind::StartTag) {
    const std::string_view end = SameLineEnd(scanner_, text);
    EmitNew(text, end, root);
    if (end.empty()) ++depth_;
    return;
  }
  if (kind == TokenKind::EndTag && depth_ > 0) --depth_;
  EmitNew(text, {}, root);
}

void LefLayout::BeginJoin(std::string_view part) {
  joinFrom_ = lines_;
  joined_.assign(part);
  joining_ = true;
}

void LefLayout::Join(std::string_view part) {
  if (!breakQuoted_) {
    while (!joined_.empty() && IsXmlBlank(joined_.back())) joined_.pop_back();
    while (!part.empty() && IsXmlBlank(part.front())) part.remove_prefix(1);
  }
  joined_ += ' ';
  joined_ += part;
}

void LefLayout::EmitNew(std::string_view head, std::string_view tail, bool root) {
  made_.assign(bom_);
  made_.append(static_cast<size_t>(2 * depth_), ' ');
  made_ += head;
  made_ += tail;
  Emit(made_, root);
}

void LefLayout::Emit(std::string_view line, bool root) {
  ++emitted_;
  if (root) rootLine_ = emitted_;
  bom_ = {};
  if (!(*sink_)(line)) stopped_ = true;
}

bool LefLayout::IsRoot(TokenKind kind) const {
  return (kind == TokenKind::StartTag || kind == TokenKind::EmptyTag) && depth_ == 0 &&
         rootLine_ == 0;
}

}  // namespace rostrel
