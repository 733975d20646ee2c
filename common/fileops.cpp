#include "common/fileops.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rostrel::fileops {
namespace {

int g_failAt = 0;
int g_failCode = 0;
int g_calls = 0;

bool Fail(FileError& err, int code) {
  err = PosixError(code);
  return false;
}

bool Fail(FileError& err, const std::error_code& ec) {
  err = ErrorFrom(ec);
  return false;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  std::wstring wmode(mode, mode + std::strlen(mode));
  return _wfopen(FsPath(path).c_str(), wmode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool SyncStream(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

// Windows calls a folder standing where a file is to be written a denied access, and a copy
// onto it an invalid argument; say what it is, on both platforms alike.
void NameAFolderInTheWay(const std::string& path, FileError& err) {
  std::error_code statusError;
  if (std::filesystem::is_directory(FsPath(path), statusError)) err = PosixError(EISDIR);
}

}  // namespace

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

bool Fallible(FileError& err) {
  ++g_calls;
  if (g_failAt > 0 && g_calls == g_failAt) return Fail(err, g_failCode);
  return true;
}

void FailAtCall(int k, int code) {
  g_failAt = k;
  g_failCode = code;
  g_calls = 0;
}

int CallCount() { return g_calls; }

void ResetFaults() { FailAtCall(0, 0); }

bool ReadFile(const std::string& path, std::string& bytes, FileError& err) {
  if (!Fallible(err)) return false;
  std::FILE* f = OpenFile(path, "rb");
  if (!f) return Fail(err, errno);
  bytes.clear();
  std::error_code ec;
  const auto size = std::filesystem::file_size(FsPath(path), ec);
  if (!ec) bytes.reserve(static_cast<size_t>(size));
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool bad = std::ferror(f) != 0;
  const int code = errno;
  std::fclose(f);
  if (bad) return Fail(err, code ? code : EIO);
  return true;
}

bool ReadFileChunks(const std::string& path,
                    const std::function<bool(std::string_view chunk)>& sink, FileError& err) {
  if (!Fallible(err)) return false;
  std::FILE* f = OpenFile(path, "rb");
  if (!f) return Fail(err, errno);
  std::string buffer(1 << 20, '\0');
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
    if (!sink(std::string_view(buffer.data(), n))) break;
  }
  const bool bad = std::ferror(f) != 0;
  const int code = errno;
  std::fclose(f);
  if (bad) return Fail(err, code ? code : EIO);
  return true;
}

unsigned long long FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(FsPath(path), ec);
  return ec ? 0 : static_cast<unsigned long long>(size);
}

bool WriteFile(const std::string& path, std::string_view bytes, FileError& err) {
  if (!Fallible(err)) return false;
  std::FILE* f = OpenFile(path, "wb");
  if (!f) {
    Fail(err, errno);
    NameAFolderInTheWay(path, err);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = ok && SyncStream(f);
  const int code = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) return Fail(err, code ? code : EIO);
  return true;
}

bool RemoveFile(const std::string& path, FileError& err) {
  if (!Fallible(err)) return false;
  std::error_code ec;
  const auto p = FsPath(path);
  const auto status = std::filesystem::symlink_status(p, ec);
  if (ec) return Fail(err, ec);
  // Only files are ours to remove: a folder standing under a file's name is left alone.
  if (std::filesystem::is_directory(status)) return Fail(err, EISDIR);
  if (std::filesystem::remove(p, ec)) return true;
  return ec ? Fail(err, ec) : Fail(err, ENOENT);
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to, FileError& err,
                           bool durable) {
  if (!Fallible(err)) return false;
#ifdef _WIN32
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
  if (!MoveFileExW(FsPath(from).c_str(), FsPath(to).c_str(), flags)) {
    err = WindowsError(GetLastError());
    return false;
  }
#else
  // The user's file keeps who may read and write it: the new file takes its bits before its name.
  struct stat old;
  if (::stat(to.c_str(), &old) == 0 && ::chmod(from.c_str(), old.st_mode & 07777) != 0)
    return Fail(err, errno);
  if (std::rename(from.c_str(), to.c_str()) != 0) return Fail(err, errno);
  if (!durable) return true;
  // Make the rename itself durable: flush the directory that holds both names.
  const std::string dir = Utf8(FsPath(to).parent_path());
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
#endif
  return true;
}

bool SyncFile(const std::string& path, FileError& err) {
  if (!Fallible(err)) return false;
  std::FILE* f = OpenFile(path, "rb+");
  if (!f) return Fail(err, errno);
  const bool ok = SyncStream(f);
  const int code = errno;
  std::fclose(f);
  if (!ok) return Fail(err, code ? code : EIO);
  return true;
}

std::string ResolveLinks(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  std::error_code ec;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(FsPath(path), ec))) return path;
  const std::filesystem::path target = std::filesystem::canonical(FsPath(path), ec);
  return ec ? path : Utf8(target);
#endif
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(FsPath(path), ec);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(FsPath(path), ec);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  const bool same = std::filesystem::equivalent(FsPath(a), FsPath(b), ec);
  return !ec && same;
}

}  // namespace rostrel::fileops
