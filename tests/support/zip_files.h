#pragma once

#include <zip.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// ZIP archives as the tests make and read them, through libzip.
namespace rostrel::testing {

struct TestMember {
  std::string name;
  std::string data;
  bool directory = false;
};

// Builds an archive with the members in order; stored uncompressed by default, so that tests can
// patch their headers. Returns libzip's complaint, or "" on success.
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

// What an archive on disk holds, read through libzip with its consistency checks on. `whole`
// is false when the archive cannot be opened or a member cannot be read back to its end with a
// matching checksum.
struct ArchiveContents {
  bool whole = false;
  std::string error;
  std::map<std::string, std::string> members;  // name -> content ("" for folders)
  std::vector<std::string> order;              // the names as the archive lists them
  std::vector<zip_uint16_t> methods;           // and their compression methods
};

inline ArchiveContents ReadArchive(const std::string& path) {
  ArchiveContents result;
  int code = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (!za) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    result.error = zip_error_strerror(&error);
    zip_error_fini(&error);
    return result;
  }
  std::unique_ptr<zip_t, decltype(&zip_discard)> guard(za, zip_discard);
  const zip_int64_t count = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
      result.error = zip_strerror(za);
      return result;
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> zf(
        zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0), zip_fclose);
    if (!zf) {
      result.error = zip_strerror(za);
      return result;
    }
    std::string data;
    char buffer[1 << 14];
    zip_int64_t n;
    while ((n = zip_fread(zf.get(), buffer, sizeof buffer)) > 0)
      data.append(buffer, static_cast<size_t>(n));
    if (n < 0) {
      result.error = zip_file_strerror(zf.get());
      return result;
    }
    result.order.push_back(st.name);
    result.methods.push_back(st.comp_method);
    result.members[st.name] = std::move(data);
  }
  result.whole = true;
  return result;
}

// The one member of an archive that must hold exactly one, such as a sample LXF file.
inline std::string OnlyMember(const std::string& path) {
  const ArchiveContents contents = ReadArchive(path);
  if (!contents.whole || contents.members.size() != 1)
    throw std::runtime_error("not a one-member archive: " + path + " " + contents.error);
  return contents.members.begin()->second;
}

}  // namespace rostrel::testing
