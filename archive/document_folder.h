#pragma once

#include <string>

namespace rostrel {

// getLefFile's markers: no LEF document in the directory, and more than one.
inline constexpr const char* kNoLefFile = "-0";
inline constexpr const char* kSeveralLefFiles = "";

// The directory part of a file path, up to and including its last separator ('/' on POSIX;
// '\' and '/' on Windows). A path without a separator names a file in the current directory,
// and gives that directory, "./" (".\" on Windows).
std::string getDir(const std::string& path);

// The one LEF document (*.lef, letter case ignored, ordinary non-hidden files only) in a
// directory that ends in a separator: the directory followed by the name as stored on disk,
// or kNoLefFile, or kSeveralLefFiles. The directory is listed afresh at every call.
std::string getLefFile(const std::string& dir);

}  // namespace rostrel
