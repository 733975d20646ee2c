#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace rostrel {

// The platform's converter between two encodings: iconv on POSIX, the code-page functions on
// Windows (converter_iconv.cpp, converter_windows.cpp; CMake builds one of them). Everything the
// program says about encodings is written once, above this, in encoding.cpp.
class Converter {
 public:
  enum class Stop {
    None,        // everything was converted
    Invalid,     // a byte that is no character of the source, or one the target cannot hold
    Incomplete,  // the input ends inside a character
  };

  // A converter from `from` to `to`, or null when the platform knows either name not.
  static std::unique_ptr<Converter> Open(const std::string& to, const std::string& from);

  virtual ~Converter() = default;

  // Appends the converted text to `out`, up to the first character that does not go through;
  // then `stoppedAt` is that character's offset in `in`. Each call starts afresh.
  virtual Stop Convert(std::string_view in, std::string& out, size_t& stoppedAt) = 0;
};

}  // namespace rostrel
