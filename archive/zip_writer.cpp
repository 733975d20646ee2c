#include "archive/zip_writer.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "archive/zip_handles.h"
#include "common/file_error.h"
#include "common/fileops.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;

// Deflate at zlib's fastest level. libzip's default is level 9, which packs a 17 MB entries
// document eight times slower for an archive only a third smaller; every ZIP tool reads both.
constexpr zip_uint32_t kDeflateLevel = 1;

// libzip stores a name whose bytes are valid UTF-8 (and not plain ASCII) only with the UTF-8
// mark, and any other only without it; letting it guess keeps either as it came.
bool AddFile(zip_t* za, const std::string& file, const std::string& name, std::string& failure) {
  zip_source_t* source = FileSource(file, failure);
  if (!source) return false;
  const zip_int64_t index = zip_file_add(za, name.c_str(), source, ZIP_FL_ENC_GUESS);
  if (index < 0) {
    failure = ZipErrorText(za);
    zip_source_free(source);
    return false;
  }
  if (zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                               kDeflateLevel) != 0) {
    failure = ZipErrorText(za);
    return false;
  }
  return true;
}

// Writes the archive out, then flushes it to the disk: the caller renames it over the entries
// file next, and that rename must not outlive the data it points at.
bool FinishArchive(ZipArchive za, const std::string& archive, std::string& failure) {
  FileError err;
  if (!fileops::Fallible(err)) {
    failure = Describe(err);
    return false;
  }
  if (zip_close(za.get()) != 0) {
    failure = ZipErrorText(za.get());
    return false;  // the deleter discards the handle
  }
  za.release();
  if (!fileops::SyncFile(archive, err)) {
    failure = Describe(err);
    return false;
  }
  return true;
}

// Adds one entry met while walking the folder: a folder or an ordinary file; anything else is
// passed over. Counts what it added.
bool AddEntry(zip_t* za, const fs::directory_entry& entry, const fs::path& root,
              const std::string& archive, int& members, std::string& failure) {
  std::error_code ec;
  // Links to directories are not followed, so nothing is packed twice; an archive written into
  // the folder itself is not packed into itself.
  if (entry.is_symlink(ec) && entry.is_directory(ec)) return true;
  if (fs::equivalent(entry.path(), fileops::FsPath(archive), ec)) return true;
  const std::string name = fileops::Utf8(entry.path().lexically_relative(root).generic_u8string());
  if (entry.is_directory(ec)) {
    if (zip_dir_add(za, name.c_str(), ZIP_FL_ENC_UTF_8) < 0) {
      failure = ZipErrorText(za);
      return false;
    }
  } else if (entry.is_regular_file(ec)) {
    if (!AddFile(za, fileops::Utf8(entry.path()), name, failure)) return false;
  } else {
    return true;
  }
  ++members;
  return true;
}

}  // namespace

bool PackFile(const std::string& file, const std::string& name, const std::string& archive,
              std::string& failure) {
  std::error_code ec;
  const fs::path filePath = fileops::FsPath(file);
  if (!fs::is_regular_file(filePath, ec)) {
    const int code = fs::is_directory(filePath, ec) ? EISDIR
                     : fs::exists(filePath, ec)     ? EINVAL
                                                    : ENOENT;
    failure = Describe(PosixError(code)) + ": " + file;
    return false;
  }
  ZipArchive za = OpenArchive(archive, 0, failure);
  if (!za) return false;
  if (!AddFile(za.get(), file, name, failure)) return false;
  return FinishArchive(std::move(za), archive, failure);
}

bool PackFolder(const std::string& folder, const std::string& archive, std::string& failure) {
  std::error_code ec;
  const fs::path root = fileops::FsPath(folder);
  if (!fs::is_directory(root, ec)) {
    failure = Describe(PosixError(fs::exists(root, ec) ? ENOTDIR : ENOENT)) + ": " + folder;
    return false;
  }
  ZipArchive za = OpenArchive(archive, 0, failure);
  if (!za) return false;

  fs::recursive_directory_iterator it(root, ec);
  int members = 0;
  for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
    if (!AddEntry(za.get(), *it, root, archive, members, failure)) return false;
  }
  if (ec) {
    failure = Describe(ErrorFrom(ec)) + ": " + folder;
    return false;
  }
  // libzip deletes an archive that ends with no members; an empty folder keeps the empty
  // archive that is already on disk.
  if (members == 0) return true;
  return FinishArchive(std::move(za), archive, failure);
}

}  // namespace rostrel
