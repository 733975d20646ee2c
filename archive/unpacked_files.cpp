#include "archive/unpacked_files.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/fileops.h"

namespace rostrel {

namespace fs = std::filesystem;

UnpackedFiles::~UnpackedFiles() { RemoveAll(); }

void UnpackedFiles::AddFile(const fs::path& file, std::string storedName) {
  files_.push_back({file, std::move(storedName)});
}

void UnpackedFiles::AddFolder(const fs::path& folder) { folders_.push_back(folder); }

void UnpackedFiles::Forget(const std::string& file) {
  const fs::path path = fileops::FsPath(file);
  std::erase_if(files_, [&](const File& listed) { return listed.path == path; });
}

const std::string* UnpackedFiles::StoredNameOf(const std::string& file) const {
  const fs::path path = fileops::FsPath(file);
  for (const File& listed : files_) {
    std::error_code ec;
    if (fs::equivalent(listed.path, path, ec)) return &listed.storedName;
  }
  return nullptr;
}

std::vector<UnpackedFiles::Leftover> UnpackedFiles::RemoveAll() {
  std::vector<Leftover> leftovers;
  for (const File& listed : files_) {
    const fs::path& file = listed.path;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (status.type() == fs::file_type::not_found) continue;
    FileError err;
    if (!fileops::RemoveFile(fileops::Utf8(file), err) && fileops::Exists(fileops::Utf8(file)))
      leftovers.push_back({fileops::Utf8(file), err});
  }
  // Deeper folders have longer paths; each goes only when nothing is left in it.
  std::vector<fs::path> folders = folders_;
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
    return a.native().size() > b.native().size();
  });
  for (const fs::path& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec))) continue;
    if (fs::remove(folder, ec) || !ec) continue;
    leftovers.push_back({fileops::Utf8(folder), ErrorFrom(ec)});
  }
  files_.clear();
  folders_.clear();
  return leftovers;
}

}  // namespace rostrel
