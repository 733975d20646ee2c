#include "archive/zip_handles.h"

#include <cerrno>

#include "common/file_error.h"

namespace rostrel {

namespace {

// A seek or a read to an offset that no file could hold, which only the archive's own records
// can have made up (a ZIP64 offset beyond the file, say): the archive's fault, not the disk's.
bool ImpossibleOffset(const zip_error_t* error) {
  const int code = zip_error_code_zip(error), system = zip_error_code_system(error);
  return (code == ZIP_ER_SEEK || code == ZIP_ER_READ) &&
         (system == EINVAL || system == EOVERFLOW || system == EFBIG);
}

}  // namespace

bool IsSystemError(const zip_error_t* error) {
  return zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0 &&
         !ImpossibleOffset(error);
}

std::string ZipErrorText(const zip_error_t* error) {
  if (ImpossibleOffset(error)) return Describe(ZipError(ZIP_ER_INCONS));
  if (!IsSystemError(error)) return Describe(ZipError(zip_error_code_zip(error)));
  const int code = zip_error_code_system(error);
#ifdef _WIN32
  // libzip passes on a Windows code it has no errno for, such as a sharing violation, as 10000
  // plus the code.
  if (code > 10000) return Describe(WindowsError(static_cast<unsigned long>(code - 10000)));
#endif
  return Describe(PosixError(code));
}

std::string ZipErrorText(zip_t* archive) { return ZipErrorText(zip_get_error(archive)); }

std::string ZipErrorText(zip_file_t* member) { return ZipErrorText(zip_file_get_error(member)); }

zip_source_t* FileSource(const std::string& path, std::string& failure, bool* system) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &error);
  if (!source) {
    failure = ZipErrorText(&error);
    if (system) *system = IsSystemError(&error);
  }
  zip_error_fini(&error);
  return source;
}

ZipArchive OpenArchive(const std::string& path, int flags, std::string& failure, bool* system) {
  zip_source_t* source = FileSource(path, failure, system);
  if (!source) return nullptr;
  zip_error_t error;
  zip_error_init(&error);
  zip_t* archive = zip_open_from_source(source, flags, &error);
  if (!archive) {
    failure = ZipErrorText(&error);
    if (system) *system = IsSystemError(&error);
    zip_source_free(source);
  }
  zip_error_fini(&error);
  return ZipArchive(archive);
}

}  // namespace rostrel
