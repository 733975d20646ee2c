#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/fileops.h"

// Files and folders as the tests see them: whole contents, and snapshots of a folder tree to
// prove what an action did or did not change.
namespace rostrel::testing {

// A file's bytes, or a mark that says why it could not be read.
inline std::string ReadBytes(const std::string& path) {
  std::string bytes;
  FileError err;
  if (!fileops::ReadFile(path, bytes, err)) return "<unreadable: " + Describe(err) + ">";
  return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  FileError err;
  EXPECT_TRUE(fileops::WriteFile(path, bytes, err)) << path << ": " << Describe(err);
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
