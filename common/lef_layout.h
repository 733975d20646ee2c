#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/tag_scanner.h"

namespace rostrel {

// Brings a document into the one-element-per-line form that the line rules of reading and
// rewriting expect, one line at a time as the document is read:
// - a line that already holds one element is passed on untouched, as the very same view: one
//   tag; a start tag, text and the same element's end tag with no other tag between
//   (<NAME>Jan</NAME>, <CONTACT ...></CONTACT>); text alone; a blank line; or a part of a
//   comment, CDATA section, processing instruction or DOCTYPE that runs over several lines;
// - a line holding more than that is cut so that each tag stands on a line of its own (with the
//   exception above); blanks between tags are dropped, other text gets a line of its own with
//   its blanks trimmed;
// - a tag (or the XML declaration) that runs over several lines is joined into one line: each
//   line break, with the blanks and tabs around it, becomes one blank; within a quoted value only
//   the break itself becomes a blank, which is what an XML reader makes of it anyway;
// - every line made anew is indented by two blanks per nesting level, the root at level 0;
//   lines passed on untouched keep their own indentation. A UTF-8 byte-order mark at the start
//   of the document stays in front of the first line.
// Lines are given and emitted without their terminator; the caller ends each emitted line as
// it ends the lines it reads.
class LefLayout {
 public:
  // Takes the document's next line and calls emit(line) for each line of the laid-out form that
  // it completes; emit returns false to stop. An untouched line is the caller's own view; a
  // line made anew lives in the layout's buffer and is valid only during the call. Returns
  // false once emit has stopped.
  template <class Fn>
  bool Line(std::string_view line, Fn&& emit) {
    return Take(line, Sink(emit));
  }
  // Ends the document: a tag still being joined is passed on as it stands.
  template <class Fn>
  bool Finish(Fn&& emit) {
    return Flush(Sink(emit));
  }

  // Some line was cut or joined, so far.
  bool Changed() const { return changed_; }
  // The lines emitted so far; during emit, the number of the line being emitted (1-based).
  size_t EmittedLines() const { return emitted_; }
  // The number of the emitted line that holds the root element's start tag, set before that
  // line is emitted; 0 while the root has not been seen. Comments, processing instructions and
  // a DOCTYPE may stand before it.
  size_t RootLine() const { return rootLine_; }
  // During emit, the number of the given line where the line being emitted begins (1-based): a
  // line cut from a longer one is counted as that line, a joined tag as its first line.
  size_t SourceLine() const { return source_; }
  // The number of the given line where a quoted value holding a '<' began (see TagScanner); 0
  // while there is none. From there on the layout would take the rest of the document for one
  // tag: the caller stops.
  size_t BrokenQuoteLine() const { return scanner_.BrokenQuote(); }

 private:
  // A reference to the caller's emit that costs one indirect call per line.
  class Sink {
   public:
    template <class Fn>
    explicit Sink(Fn& fn)
        : fn_(const_cast<void*>(static_cast<const void*>(&fn))),
          call_([](void* f, std::string_view line) -> bool {
            return (*static_cast<Fn*>(f))(line);
          }) {}
    bool operator()(std::string_view line) const { return call_(fn_, line); }

   private:
    void* fn_;
    bool (*call_)(void*, std::string_view);
  };

  bool Take(std::string_view line, Sink sink);
  bool Flush(Sink sink);
  bool PassUntouched(std::string_view line);
  void Cut(std::string_view line);
  void Whole(TokenKind kind, std::string_view text);
  void BeginJoin(std::string_view part);
  void Join(std::string_view part);
  void EmitNew(std::string_view head, std::string_view tail, bool root);
  void Emit(std::string_view line, bool root);
  bool IsRoot(TokenKind kind) const;

  TagScanner scanner_;
  const Sink* sink_ = nullptr;
  std::string joined_;  // the tag being joined
  std::string made_;    // the line being made
  std::string_view bom_;
  size_t lines_ = 0, emitted_ = 0, rootLine_ = 0;
  size_t source_ = 0, joinFrom_ = 0;  // see SourceLine(); the line the joined tag began on
  int depth_ = 0;
  bool joining_ = false, breakQuoted_ = false, changed_ = false, stopped_ = false;
};

}  // namespace rostrel
