#include "archive/unpacked_files.h"

#include <algorithm>
#include <system_error>

#include "common/fileops.h"

namespace rostrel {

namespace fs = std::filesystem;

UnpackedFiles::~UnpackedFiles() { RemoveAll(); }

void UnpackedFiles::AddFile(const fs::path& file) { files_.push_back(file); }

void UnpackedFiles::AddFolder(const fs::path& folder) { folders_.push_back(folder); }

void UnpackedFiles::Forget(const std::string& file) {
  const fs::path path = fileops::FsPath(file);
  std::erase_if(files_, [&](const fs::path& listed) { return listed == path; });
}

std::vector<UnpackedFiles::Leftover> UnpackedFiles::RemoveAll() {
  std::vector<Leftover> leftovers;
  for (const fs::path& file : files_) {
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
