#include "common/fileops.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rostrel::fileops {
namespace {

namespace fs = std::filesystem;

// The fault injector's state: from call number `failFrom` on, `failCount` calls fail.
int g_failFrom = 0;
int g_failCount = 0;
FileError g_failError;
int g_actAt = 0;
std::function<void(const std::string&)> g_act;
int g_calls = 0;

std::chrono::milliseconds g_firstPause{50};

// Every operation that changes or reads a file starts here: a test may act first, or make it
// fail instead of touching the disk.
bool Fallible(FileError& err, const std::string& path) {
  ++g_calls;
  if (g_act && g_calls == g_actAt) g_act(path);
  if (g_failCount > 0 && g_calls >= g_failFrom && g_calls < g_failFrom + g_failCount) {
    err = g_failError;
    return false;
  }
  return true;
}

bool Fail(FileError& err, int code) {
  err = PosixError(code);
  return false;
}

#ifdef _WIN32
bool FailWindows(FileError& err) {
  err = WindowsError(GetLastError());
  return false;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The name itself, a link or a folder included, with no link followed.
HANDLE OpenName(const std::string& path, DWORD access) {
  return CreateFileW(FsPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IdentityOfHandle(HANDLE h, FileIdentity& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return false;
  id = {info.dwVolumeSerialNumber,
        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        static_cast<int64_t>((static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                             info.ftLastWriteTime.dwLowDateTime)};
  return true;
}

bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }
#else
FileIdentity IdentityOfStat(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
#endif

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(FsPath(path), ec));
}

// A file held for a moment by another program: Windows' sharing and lock violations, and a
// denied access that is not the read-only mark or a folder in the way (a name still pending
// deletion gives one).
bool HeldForAMoment(const FileError& err, const std::string& path) {
  if (err.kind != ErrorKind::Windows) return false;
  if (err.code == 32 || err.code == 33) return true;  // ERROR_SHARING_VIOLATION, _LOCK_
  return err.code == 5 && !IsReadOnly(path) && !IsFolder(path);
}

// Runs `op` (one counted operation on `path`), again after growing pauses while the file is held
// by another program.
template <class Op>
bool Retrying(const std::string& path, FileError& err, Op op) {
  std::chrono::milliseconds pause = g_firstPause;
  for (int attempt = 0;; ++attempt) {
    if (Fallible(err, path) && op(err)) return true;
    if (!HeldForAMoment(err, path)) return false;
    if (attempt == kRetries) {
      err.retried = true;
      return false;
    }
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
    pause *= 2;
  }
}

bool SyncStream(std::FILE* f, bool durable) {
  if (std::fflush(f) != 0) return false;
  if (!durable) return true;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

std::FILE* OpenForReading(const std::string& path) {
#ifdef _WIN32
  return _wfopen(FsPath(path).c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

void FailCalls(int k, int count, const FileError& error) {
  g_failFrom = k;
  g_failCount = k > 0 ? count : 0;
  g_failError = error;
  g_calls = 0;
}

void FailAtCall(int k, int code) { FailCalls(k, 1, PosixError(code)); }

void OnCall(int k, std::function<void(const std::string& path)> act) {
  g_actAt = k;
  g_act = std::move(act);
  g_calls = 0;
}

int CallCount() { return g_calls; }

void ResetFaults() {
  FailCalls(0, 0, {});
  OnCall(0, nullptr);
}

void SetRetryPause(std::chrono::milliseconds first) { g_firstPause = first; }

bool HeldByAnotherProgram(const FileError& err) { return err.retried; }

bool AlreadyExists(const FileError& err) {
  if (err.kind == ErrorKind::Posix) return err.code == EEXIST;
  // ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS
  return err.kind == ErrorKind::Windows && (err.code == 80 || err.code == 183);
}

bool IdentityOf(const std::string& path, FileIdentity& id) {
#ifdef _WIN32
  const HANDLE h = OpenName(path, FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool known = IdentityOfHandle(h, id);
  CloseHandle(h);
  return known;
#else
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return false;
  id = IdentityOfStat(st);
  return true;
#endif
}

NewFile::~NewFile() {
  if (file_) std::fclose(file_);
}

bool NewFile::Open(const std::string& path, FileError& err) {
#ifdef _WIN32
  const HANDLE h = CreateFileW(FsPath(path).c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FailWindows(err);
  if (!IdentityOfHandle(h, identity_)) {
    FailWindows(err);
    CloseHandle(h);
    return false;
  }
  // msvcrt knows no mode letter for exclusive creation: the handle is made here and only then
  // given to the C runtime, with a plain mode.
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return Fail(err, EMFILE);
  }
  file_ = _fdopen(fd, "wb");
  if (!file_) {
    const int code = errno;
    _close(fd);
    return Fail(err, code ? code : ENOMEM);
  }
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Fail(err, errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !(file_ = ::fdopen(fd, "wb"))) {
    const int code = errno;
    ::close(fd);
    return Fail(err, code);
  }
  identity_ = IdentityOfStat(st);
#endif
  path_ = path;
  writeFailed_ = false;
  return true;
}

bool NewFile::Create(const std::string& path, FileError& err) {
  if (Retrying(path, err, [&](FileError& e) { return Open(path, e); })) return true;
  // Whatever stands there is the reason, whatever the system called it.
  std::error_code ec;
  if (!err.retried && fs::symlink_status(FsPath(path), ec).type() != fs::file_type::not_found)
    err = PosixError(EEXIST);
  return false;
}

bool NewFile::CreateTemporary(const std::string& folder, FileError& err) {
  static std::mt19937_64 random{std::random_device{}()};
  static constexpr char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".rostrel-";
    uint64_t bits = random();
    for (int i = 0; i < 8; ++i, bits /= 36) name += kLetters[bits % 36];
    name += ".tmp";
    if (Create(folder + name, err)) return true;
    if (!AlreadyExists(err)) return false;
  }
  return false;
}

bool NewFile::Write(std::string_view bytes, FileError& err) {
  if (writeFailed_) {
    err = writeError_;
    return false;
  }
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size()) return true;
  writeFailed_ = true;
  writeError_ = PosixError(errno ? errno : EIO);
  err = writeError_;
  return false;
}

bool NewFile::Rewrite(std::string_view bytes, FileError& err) {
  if (!writeFailed_ && std::fseek(file_, 0, SEEK_SET) != 0) {
    writeFailed_ = true;
    writeError_ = PosixError(errno ? errno : EIO);
  }
  return Write(bytes, err);
}

bool NewFile::Close(FileError& err, bool durable) {
  if (!file_) return true;
  std::FILE* f = file_;
  file_ = nullptr;
  const bool counted = Fallible(err, path_);
  errno = 0;
  bool ok = counted && !writeFailed_ && SyncStream(f, durable);
  if (counted && !ok) err = writeFailed_ ? writeError_ : PosixError(errno ? errno : EIO);
  const int closeCode = errno;
  // Whatever was written last, the file is known by it from now on, also when it failed.
  std::fflush(f);
#ifdef _WIN32
  IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))), identity_);
#else
  struct stat st;
  if (::fstat(fileno(f), &st) == 0) identity_ = IdentityOfStat(st);
#endif
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    err = PosixError(errno ? errno : (closeCode ? closeCode : EIO));
  }
  return ok;
}

bool ReadFile(const std::string& path, std::string& bytes, FileError& err) {
  if (!Fallible(err, path)) return false;
  std::FILE* f = OpenForReading(path);
  if (!f) return Fail(err, errno);
  bytes.clear();
  std::error_code ec;
  const auto size = fs::file_size(FsPath(path), ec);
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
  if (!Fallible(err, path)) return false;
  std::FILE* f = OpenForReading(path);
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
  const auto size = fs::file_size(FsPath(path), ec);
  return ec ? 0 : static_cast<unsigned long long>(size);
}

bool RenameNoReplace(const std::string& from, const std::string& to, FileError& err) {
  return Retrying(to, err, [&](FileError& e) {
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING, Windows refuses a name that is taken.
    if (!MoveFileExW(FsPath(from).c_str(), FsPath(to).c_str(), 0)) return FailWindows(e);
    return true;
#else
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return Fail(e, errno);
    // A file system without that kind of rename (NFS, for one): a second link fails where the
    // name is taken just the same, and then the first name goes.
    if (::link(from.c_str(), to.c_str()) != 0) return Fail(e, errno);
    ::unlink(from.c_str());
    return true;
#endif
  });
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to, FileError& err) {
  return Retrying(to, err, [&](FileError& e) {
#ifdef _WIN32
    if (!MoveFileExW(FsPath(from).c_str(), FsPath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return FailWindows(e);
    }
#else
    // The user's file keeps who may read and write it: the new file takes its bits before its
    // name.
    struct stat old;
    if (::stat(to.c_str(), &old) == 0 && ::chmod(from.c_str(), old.st_mode & 07777) != 0)
      return Fail(e, errno);
    if (std::rename(from.c_str(), to.c_str()) != 0) return Fail(e, errno);
    // Make the rename itself durable: flush the directory that holds both names.
    const std::string dir = Utf8(FsPath(to).parent_path());
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
#endif
    return true;
  });
}

bool RemoveOwnFile(const std::string& path, const FileIdentity& id, FileError& err) {
  return Retrying(path, err, [&](FileError& e) {
#ifdef _WIN32
    // The check and the removal go through one handle: no other file can take the name between.
    const HANDLE h = OpenName(path, DELETE | FILE_READ_ATTRIBUTES);
    if (h == INVALID_HANDLE_VALUE) return IsMissing(GetLastError()) || FailWindows(e);
    FileIdentity now;
    bool ok = true;
    if (IdentityOfHandle(h, now) && now == id) {
      FILE_DISPOSITION_INFO dispose{TRUE};
      ok = SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose) ||
           FailWindows(e);
    }
    CloseHandle(h);
    return ok;
#else
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT || Fail(e, errno);
    if (IdentityOfStat(st) != id) return true;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || Fail(e, errno);
#endif
  });
}

bool MakeFolder(const std::string& path, FileIdentity& id, FileError& err) {
  return Retrying(path, err, [&](FileError& e) {
#ifdef _WIN32
    if (!CreateDirectoryW(FsPath(path).c_str(), nullptr)) return FailWindows(e);
#else
    if (::mkdir(path.c_str(), 0777) != 0) return Fail(e, errno);
#endif
    return IdentityOf(path, id) || Fail(e, ENOENT);
  });
}

bool RemoveOwnFolder(const std::string& path, const FileIdentity& id, FileError& err) {
  return Retrying(path, err, [&](FileError& e) {
    // A folder's last write changes with what is put in it: the disk and the number tell it.
    FileIdentity now;
    if (!IdentityOf(path, now) || now.volume != id.volume || now.index != id.index) return true;
#ifdef _WIN32
    return RemoveDirectoryW(FsPath(path).c_str()) || IsMissing(GetLastError()) ||
           FailWindows(e);
#else
    if (::rmdir(path.c_str()) == 0 || errno == ENOENT) return true;
    return Fail(e, errno == EEXIST ? ENOTEMPTY : errno);
#endif
  });
}

std::string ResolveLinks(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(FsPath(path), ec))) return path;
  const fs::path target = fs::canonical(FsPath(path), ec);
  return ec ? path : Utf8(target);
#endif
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(FsPath(path), ec);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(FsPath(path), ec);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  const bool same = fs::equivalent(FsPath(a), FsPath(b), ec);
  return !ec && same;
}

bool IsReadOnly(const std::string& path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(FsPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
#else
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 &&
         (errno == EACCES || errno == EROFS || errno == EPERM);
#endif
}

bool TooLongForTheSystem(const std::string& path) {
#ifdef _WIN32
  // Windows 10 lifts the limit for a program that says so in its manifest, where the system's
  // setting allows long paths; older systems do not know the question.
  static const bool longPaths = [] {
    using Query = BOOLEAN(WINAPI*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto query = ntdll ? reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
                                   GetProcAddress(ntdll, "RtlAreLongPathsEnabled")))
                             : nullptr;
    return query && query();
  }();
  return !longPaths && FsPath(path).native().size() > MAX_PATH - 1;
#else
  return path.size() > 4095;
#endif
}

}  // namespace rostrel::fileops
