#pragma once

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/fileops.h"

namespace rostrel::testing {

using Members = std::vector<std::pair<std::string, std::string>>;  // name, content

// Writes a ZIP archive with the given members, in order; returns false when libzip fails.
inline bool WriteZip(const std::string& path, const Members& members) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) return false;
  for (const auto& [name, content] : members) {
    zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
    if (!source || zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(source);
      zip_discard(zip);
      return false;
    }
  }
  return zip_close(zip) == 0;
}

// The members of a ZIP archive, name to content; empty when it cannot be read.
inline std::map<std::string, std::string> ReadZip(const std::string& path) {
  std::map<std::string, std::string> members;
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!zip) return members;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
    if (!file || zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
      if (file) zip_fclose(file);
      members.clear();
      break;
    }
    std::string content(static_cast<size_t>(st.size), '\0');
    const zip_int64_t got = zip_fread(file, content.data(), st.size);
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(st.size)) {
      members.clear();
      break;
    }
    members[st.name] = std::move(content);
  }
  zip_discard(zip);
  return members;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(fileops::FsPath(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(fileops::FsPath(path), std::ios::binary) << bytes;
}

// Every entry of a directory with its content ("<dir>" for folders), to compare a whole
// directory before and after an operation.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = fileops::Utf8(entry.path().filename());
    entries[name] = entry.is_directory() ? "<dir>" : ReadBytes(fileops::Utf8(entry.path()));
  }
  return entries;
}

inline std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& [name, content] : Snapshot(dir)) names.push_back(name);
  return names;
}

}  // namespace rostrel::testing
