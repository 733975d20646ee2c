#include "archive/unpacked_files.h"

#include <algorithm>
#include <functional>
#include <system_error>
#include <utility>

namespace rostrel {

namespace fs = std::filesystem;

UnpackedFiles::~UnpackedFiles() { RemoveAll(); }

void UnpackedFiles::AddFile(const fs::path& file, const fileops::FileIdentity& id,
                            std::string storedName) {
  files_.push_back({file, id, std::move(storedName)});
}

void UnpackedFiles::AddFolder(const fs::path& folder, const fileops::FileIdentity& id) {
  folders_.push_back({folder, id, ""});
}

const std::string* UnpackedFiles::StoredNameOf(const std::string& file) const {
  const fs::path path = fileops::FsPath(file);
  for (const Item& listed : files_) {
    std::error_code ec;
    if (fs::equivalent(listed.path, path, ec)) return &listed.storedName;
  }
  return nullptr;
}

bool UnpackedFiles::Remove(const std::string& file, FileError& err) {
  const fs::path path = fileops::FsPath(file);
  const auto listed =
      std::find_if(files_.begin(), files_.end(), [&](const Item& f) { return f.path == path; });
  // Both actions remove only the document UnpackLxf found, which this unpacking listed: a file
  // not listed never comes here, and would not be ours to remove. (So what it returns, true or
  // false, changes nothing a user can see.)
  if (listed == files_.end()) return true;
  const Item item = *listed;
  files_.erase(listed);
  return fileops::RemoveOwnFile(fileops::Utf8(item.path), item.id, err);
}

std::vector<UnpackedFiles::Leftover> UnpackedFiles::RemoveAll() {
  std::vector<Leftover> leftovers;
  for (const Item& file : files_) {
    FileError err;
    if (!fileops::RemoveOwnFile(fileops::Utf8(file.path), file.id, err))
      leftovers.push_back({fileops::Utf8(file.path), err});
  }
  // Deeper folders have longer paths, so the longest go first: each goes only when nothing is
  // left in it. (Folders of the same length are never one inside the other.)
  std::vector<Item> folders = folders_;
  std::ranges::stable_sort(folders, std::greater<>(),
                           [](const Item& f) { return f.path.native().size(); });
  for (const Item& folder : folders) {
    FileError err;
    if (!fileops::RemoveOwnFolder(fileops::Utf8(folder.path), folder.id, err))
      leftovers.push_back({fileops::Utf8(folder.path), err});
  }
  files_.clear();
  folders_.clear();
  return leftovers;
}

}  // namespace rostrel
