#include "archive/document_folder.h"

#include <filesystem>
#include <system_error>

#include "common/ascii.h"
#include "common/fileops.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace rostrel {
namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

bool HasLefSuffix(const std::string& name) { return EndsWithIgnoringCase(name, ".lef"); }

bool IsHidden(const std::filesystem::directory_entry& entry, const std::string& name) {
#ifdef _WIN32
  (void)name;
  const DWORD attributes = GetFileAttributesW(entry.path().c_str());
  return attributes == INVALID_FILE_ATTRIBUTES ||
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
  (void)entry;
  return !name.empty() && name[0] == '.';
#endif
}

}  // namespace

std::string getDir(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return path.substr(0, i);
  }
#ifdef _WIN32
  return ".\\";
#else
  return "./";
#endif
}

std::string getLefFile(const std::string& dir) {
  std::error_code ec;
  std::filesystem::directory_iterator it(fileops::FsPath(dir), ec);
  if (ec) return kNoLefFile;

  int count = 0;
  std::string found;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    // Only ordinary files count. A symbolic link is not one, even when it points to a file:
    // the document found here is later rewritten in place, and through a link that would
    // change a file somewhere else.
    std::error_code statusError;
    if (!it->is_regular_file(statusError) || it->is_symlink(statusError)) continue;
    const std::string name = fileops::Utf8(it->path().filename());
    if (!HasLefSuffix(name) || IsHidden(*it, name)) continue;
    if (++count > 1) return kSeveralLefFiles;
    found = name;
  }
  if (count == 0) return kNoLefFile;
  return dir + found;
}

}  // namespace rostrel
