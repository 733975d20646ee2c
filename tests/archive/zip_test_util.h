#pragma once

#include <zip.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "archive/shell_zip.h"
#include "common/fileops.h"
#include "support/lxf_files.h"

namespace rostrel::testing {

struct TestMember {
  std::string name;
  std::string data;
  bool directory = false;
};

// Builds an archive with libzip, members stored uncompressed so that tests can patch their
// headers. Returns libzip's complaint, or "" on success.
inline std::string MakeArchive(const std::string& path, const std::vector<TestMember>& members,
                               zip_int32_t method = ZIP_CM_STORE) {
  int code = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!za) return "zip_open " + std::to_string(code);
  for (const TestMember& m : members) {
    zip_int64_t index;
    if (m.directory) {
      index = zip_dir_add(za, m.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      zip_source_t* src = zip_source_buffer(za, m.data.data(), m.data.size(), 0);
      index = zip_file_add(za, m.name.c_str(), src, ZIP_FL_ENC_UTF_8);
      if (index < 0) zip_source_free(src);
      if (index >= 0) zip_set_file_compression(za, static_cast<zip_uint64_t>(index), method, 0);
    }
    if (index < 0) {
      std::string why = zip_strerror(za);
      zip_discard(za);
      return m.name + ": " + why;
    }
  }
  if (zip_close(za) != 0) {
    std::string why = zip_strerror(za);
    zip_discard(za);
    return why;
  }
  return "";
}

// The members of an archive: name -> content ("" for directories). Empty on failure.
inline std::map<std::string, std::string> ReadArchive(
    const std::string& path, std::vector<zip_uint16_t>* methods = nullptr) {
  std::map<std::string, std::string> result;
  int code = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!za) return result;
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
    if (methods) methods->push_back(st.comp_method);
    std::string data(st.size, '\0');
    zip_file_t* zf = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
    if (zf) {
      zip_fread(zf, data.data(), data.size());
      zip_fclose(zf);
    }
    result[st.name] = data;
  }
  zip_discard(za);
  return result;
}

// Overwrites `width` little-endian bytes at `offset` after the n-th occurrence of a header
// signature ("PK\1\2" central, "PK\3\4" local).
inline bool PatchHeader(std::string& bytes, const char* signature, int n, size_t offset,
                        unsigned long long value, int width) {
  size_t at = std::string::npos;
  for (int i = 0, from = 0; i <= n; ++i) {
    at = bytes.find(std::string(signature, 4), from);
    if (at == std::string::npos) return false;
    from = static_cast<int>(at) + 4;
  }
  for (int i = 0; i < width; ++i)
    bytes[at + offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return true;
}
inline const char kCentral[] = "PK\1\2";
inline const char kLocal[] = "PK\3\4";

// Every file and directory below `root`, as relative generic paths, sorted.
inline std::vector<std::string> Tree(const std::filesystem::path& root) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    names.push_back(fileops::Utf8(e.path().lexically_relative(root).generic_u8string()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs a shell command, returning its exit status and, in `output`, what it printed.
inline int Run(const std::string& command, std::string& output) {
  output.clear();
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return pclose(pipe);
}

inline std::string Quoted(const std::string& path) {
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace rostrel::testing
