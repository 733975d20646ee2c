#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/fileops.h"

// Files and folders as the tests see them: whole contents, and snapshots of a folder tree to
// prove what an action did or did not change.
namespace rostrel::testing {

// The path of a file named in UTF-8, on every platform.
inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A file's bytes, or a mark that says why it could not be read. Read with the standard library,
// so that what a test finds on disk does not depend on the program's own file code.
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) return "<unreadable: cannot open " + path + ">";
  std::string bytes;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    bytes.append(buffer, static_cast<size_t>(in.gcount()));
  if (in.bad()) return "<unreadable: read error in " + path + ">";
  return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  EXPECT_TRUE(out) << "cannot write " << path;
}

// Every file and folder under a root, by relative path with '/' between folders: a file's
// contents, or a mark for folders and links.
using Tree = std::map<std::string, std::string>;

inline Tree Snapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  Tree tree;
  for (fs::recursive_directory_iterator it(root), end; it != end; ++it) {
    const std::string name = fileops::Utf8(it->path().lexically_relative(root).generic_u8string());
    if (it->is_symlink())
      tree[name] = "<link>";
    else if (it->is_directory())
      tree[name] = "<folder>";
    else
      tree[name] = ReadBytes(fileops::Utf8(it->path()));
  }
  return tree;
}

inline std::vector<std::string> Names(const Tree& tree) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  return names;
}

// The names of every file and folder under a root, sorted, without reading them.
inline std::vector<std::string> Listing(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::map<std::string, bool> names;
  for (fs::recursive_directory_iterator it(root), end; it != end; ++it)
    names[fileops::Utf8(it->path().lexically_relative(root).generic_u8string())] = true;
  std::vector<std::string> sorted;
  for (const auto& [name, unused] : names) sorted.push_back(name);
  return sorted;
}

}  // namespace rostrel::testing
