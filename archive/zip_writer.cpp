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

// An archive that libzip writes into a buffer of its own.
class MemoryArchive {
 public:
  MemoryArchive() {
    zip_error_t error;
    zip_error_init(&error);
    buffer_ = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer_) {
      za_ = zip_open_from_source(buffer_, ZIP_TRUNCATE, &error);
      if (za_) {
        zip_source_keep(buffer_);
      } else {
        zip_source_free(buffer_);
        buffer_ = nullptr;
      }
    }
    failure_ = ZipErrorText(&error);
    zip_error_fini(&error);
  }
  ~MemoryArchive() {
    if (za_) zip_discard(za_);
    if (buffer_) zip_source_free(buffer_);
  }
  MemoryArchive(const MemoryArchive&) = delete;
  MemoryArchive& operator=(const MemoryArchive&) = delete;

  // Null when libzip could not start the archive; failure() says why.
  zip_t* get() const { return za_; }
  const std::string& failure() const { return failure_; }

  // Adds `source` under `name`, deflated; the source is libzip's from here on.
  bool Add(zip_source_t* source, const std::string& name, std::string& failure) {
    const zip_int64_t index = zip_file_add(za_, name.c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
      failure = ZipErrorText(za_);
      zip_source_free(source);
      return false;
    }
    if (zip_set_file_compression(za_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                 kDeflateLevel) != 0) {
      failure = ZipErrorText(za_);
      return false;
    }
    return true;
  }

  // Packs the members and hands over the archive's bytes.
  bool Finish(std::string& bytes, std::string& failure) {
    if (zip_close(za_) != 0) {
      failure = ZipErrorText(za_);
      return false;
    }
    za_ = nullptr;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer_, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        zip_source_open(buffer_) != 0) {
      failure = ZipErrorText(zip_source_error(buffer_));
      return false;
    }
    bytes.resize(static_cast<size_t>(st.size));
    const zip_int64_t read = zip_source_read(buffer_, bytes.data(), st.size);
    zip_source_close(buffer_);
    if (read != static_cast<zip_int64_t>(st.size)) {
      failure = ZipErrorText(zip_source_error(buffer_));
      return false;
    }
    return true;
  }

 private:
  zip_source_t* buffer_ = nullptr;
  zip_t* za_ = nullptr;
  std::string failure_;
};

bool PackOne(zip_source_t* source, const std::string& name, std::string& archive,
             std::string& failure) {
  MemoryArchive za;
  if (!za.get()) {
    zip_source_free(source);
    failure = za.failure();
    return false;
  }
  return za.Add(source, name, failure) && za.Finish(archive, failure);
}

// Adds one entry met while walking the folder: a folder or an ordinary file; anything else is
// passed over. Counts what it added.
bool AddEntry(MemoryArchive& za, const fs::directory_entry& entry, const fs::path& root,
              const std::string& skip, int& members, std::string& failure) {
  std::error_code ec;
  // Links to directories are not followed, so nothing is packed twice; an archive written into
  // the folder itself is not packed into itself.
  if (entry.is_symlink(ec) && entry.is_directory(ec)) return true;
  if (!skip.empty() && fs::equivalent(entry.path(), fileops::FsPath(skip), ec)) return true;
  const std::string name = fileops::Utf8(entry.path().lexically_relative(root).generic_u8string());
  if (entry.is_directory(ec)) {
    if (zip_dir_add(za.get(), name.c_str(), ZIP_FL_ENC_UTF_8) < 0) {
      failure = ZipErrorText(za.get());
      return false;
    }
  } else if (entry.is_regular_file(ec)) {
    zip_source_t* source = FileSource(fileops::Utf8(entry.path()), failure);
    if (!source || !za.Add(source, name, failure)) return false;
  } else {
    return true;
  }
  ++members;
  return true;
}

}  // namespace

bool PackFile(const std::string& file, const std::string& name, std::string& archive,
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
  zip_source_t* source = FileSource(file, failure);
  return source && PackOne(source, name, archive, failure);
}

bool PackText(std::string_view text, const std::string& name, std::string& archive,
              std::string& failure) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(text.data(), text.size(), 0, &error);
  if (!source) failure = ZipErrorText(&error);
  zip_error_fini(&error);
  return source && PackOne(source, name, archive, failure);
}

bool PackFolder(const std::string& folder, const std::string& skip, std::string& archive,
                std::string& failure) {
  archive.clear();
  std::error_code ec;
  const fs::path root = fileops::FsPath(folder);
  if (!fs::is_directory(root, ec)) {
    failure = Describe(PosixError(fs::exists(root, ec) ? ENOTDIR : ENOENT)) + ": " + folder;
    return false;
  }
  MemoryArchive za;
  if (!za.get()) {
    failure = za.failure();
    return false;
  }
  fs::recursive_directory_iterator it(root, ec);
  int members = 0;
  for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
    if (!AddEntry(za, *it, root, skip, members, failure)) return false;
  }
  if (ec) {
    failure = Describe(ErrorFrom(ec)) + ": " + folder;
    return false;
  }
  // libzip writes nothing for an archive that ends with no members.
  return members == 0 || za.Finish(archive, failure);
}

}  // namespace rostrel
