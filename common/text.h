#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace rostrel {

// Calls fn(line) for each line of a document, in order, until fn returns false. A line ends at
// LF; a CR just before the LF belongs to the terminator, so CR LF and a lone LF both end a line
// (a lone CR does not). The last line counts even without a terminator, and a terminator at the
// very end of the text starts no further, empty line. Returns false if fn stopped the walk.
template <class Fn>
bool ForEachLine(std::string_view text, Fn&& fn) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf ? lf : end;
    const char* lineEnd = (lf && stop > p && stop[-1] == '\r') ? stop - 1 : stop;
    if (!fn(std::string_view(p, static_cast<size_t>(lineEnd - p)))) return false;
    p = lf ? lf + 1 : end;
  }
  return true;
}

// Splits text that arrives in pieces into the same lines ForEachLine would find in the whole:
// a line cut at a piece's end is carried over to the next piece.
class LineJoiner {
 public:
  // Calls fn(line) for every line the piece completes; false when fn stopped the walk.
  template <class Fn>
  bool Feed(std::string_view piece, Fn&& fn) {
    const size_t lastLf = piece.rfind('\n');
    if (lastLf == std::string_view::npos) {
      carry_.append(piece);
      return true;
    }
    std::string_view complete = piece.substr(0, lastLf + 1);
    if (!carry_.empty()) {
      const size_t firstLf = complete.find('\n');
      carry_.append(complete.substr(0, firstLf + 1));
      if (!ForEachLine(carry_, fn)) return false;
      carry_.clear();
      complete.remove_prefix(firstLf + 1);
    }
    if (!ForEachLine(complete, fn)) return false;
    carry_.assign(piece.substr(lastLf + 1));
    return true;
  }
  // The last line, which has no terminator.
  template <class Fn>
  bool Finish(Fn&& fn) {
    const bool finished = ForEachLine(carry_, fn);
    carry_.clear();
    return finished;
  }

 private:
  std::string carry_;
};

// Removes blanks and tabs from both ends: how a line is trimmed to be recognised, so that a
// document indented with tabs reads as one indented with blanks.
inline std::string_view TrimBlanksAndTabs(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace rostrel
