#pragma once

#include <zip.h>

#include <cstdio>
#include <memory>
#include <string>

namespace rostrel {

// A unique_ptr deleter that calls a plain C function: one template for every libzip handle.
template <auto Release>
struct CallRelease {
  template <class T>
  void operator()(T* handle) const {
    Release(handle);
  }
};

inline void CloseCFile(std::FILE* file) { std::fclose(file); }

using ZipArchive = std::unique_ptr<zip_t, CallRelease<zip_discard>>;
using ZipMember = std::unique_ptr<zip_file_t, CallRelease<zip_fclose>>;
using CFile = std::unique_ptr<std::FILE, CallRelease<CloseCFile>>;

// libzip's failure in Polish: a failed system call by the system's own code, anything else by
// libzip's.
std::string ZipErrorText(const zip_error_t* error);
std::string ZipErrorText(zip_t* archive);
std::string ZipErrorText(zip_file_t* member);

// A source that reads the file at `path`, or null with the reason in `failure`. Going through a
// file source lets a failure to open the file carry the system's own reason (a missing file, a
// denied access) rather than libzip's general one.
zip_source_t* FileSource(const std::string& path, std::string& failure, bool* system = nullptr);

// True when libzip failed in a system call (a file it could not open, read or write), not over
// what the archive holds.
bool IsSystemError(const zip_error_t* error);

// Opens the archive at `path` with zip_open's flags, or gives null with the reason in `failure`;
// `system`, when given, tells whether a system call failed (see IsSystemError).
ZipArchive OpenArchive(const std::string& path, int flags, std::string& failure,
                       bool* system = nullptr);

}  // namespace rostrel
