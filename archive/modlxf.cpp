#include "archive/modlxf.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "archive/unpacked_files.h"
#include "common/file_error.h"
#include "common/fileops.h"
#include "common/prompter.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;

std::chrono::milliseconds g_pause{1000};
int g_pausesTaken = 0;

struct ZipDiscard {
  void operator()(zip_t* za) const { zip_discard(za); }
};
struct ZipFileClose {
  void operator()(zip_file_t* zf) const { zip_fclose(zf); }
};
struct FileClose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileClose>;
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// The archive path gets ".ZIP" unless it already ends in ".zip" in some letter case.
std::string WithZipSuffix(const std::string& path) {
  if (path.size() >= 4 && Upper(path.substr(path.size() - 4)) == ".ZIP") return path;
  return path + ".ZIP";
}

// libzip reports a failed system call with the system's own code beside its own.
std::string ZipErrorText(const zip_error_t* error) {
  if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0)
    return Describe(PosixError(zip_error_code_system(error)));
  return Describe(ZipError(zip_error_code_zip(error)));
}

std::string ZipErrorText(zip_t* za) { return ZipErrorText(zip_get_error(za)); }

std::string OsErrorText(int code) { return Describe(PosixError(code)); }

// Opens an archive through a file source, so that a failure to open the file carries the
// system's own reason (a missing file, a denied access) rather than libzip's general one.
ZipPtr OpenArchive(const std::string& path, int flags, std::string& failure) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &error);
  if (!source) {
    failure = ZipErrorText(&error);
    zip_error_fini(&error);
    return nullptr;
  }
  zip_t* za = zip_open_from_source(source, flags, &error);
  if (!za) {
    failure = ZipErrorText(&error);
    zip_source_free(source);
    zip_error_fini(&error);
    return nullptr;
  }
  zip_error_fini(&error);
  return ZipPtr(za);
}

// Deflate at zlib's fastest level. libzip's default is level 9, which packs a 17 MB entries
// document eight times slower for an archive only a third smaller; every ZIP tool reads both.
constexpr zip_uint32_t kDeflateLevel = 1;

bool AddFile(zip_t* za, const std::string& file, const std::string& name, std::string& failure) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_file_create(file.c_str(), 0, -1, &error);
  if (!source) {
    failure = ZipErrorText(&error);
    zip_error_fini(&error);
    return false;
  }
  zip_error_fini(&error);
  const zip_int64_t index = zip_file_add(za, name.c_str(), source, ZIP_FL_ENC_UTF_8);
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
bool FinishArchive(ZipPtr za, const std::string& archive, std::string& failure) {
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

bool PackFile(const std::string& file, const std::string& archive, std::string& failure) {
  std::error_code ec;
  const fs::path filePath = fileops::FsPath(file);
  if (!fs::is_regular_file(filePath, ec)) {
    const int code = fs::is_directory(filePath, ec) ? EISDIR
                     : fs::exists(filePath, ec)     ? EINVAL
                                                    : ENOENT;
    failure = OsErrorText(code) + ": " + file;
    return false;
  }
  ZipPtr za = OpenArchive(archive, 0, failure);
  if (!za) return false;
  if (!AddFile(za.get(), file, fileops::Utf8(filePath.filename()), failure)) return false;
  return FinishArchive(std::move(za), archive, failure);
}

bool PackFolder(const std::string& folder, const std::string& archive, std::string& failure) {
  std::error_code ec;
  const fs::path root = fileops::FsPath(folder);
  if (!fs::is_directory(root, ec)) {
    failure = OsErrorText(fs::exists(root, ec) ? ENOTDIR : ENOENT) + ": " + folder;
    return false;
  }
  ZipPtr za = OpenArchive(archive, 0, failure);
  if (!za) return false;

  fs::recursive_directory_iterator it(root, ec);
  if (ec) {
    failure = Describe(ErrorFrom(ec)) + ": " + folder;
    return false;
  }
  int members = 0;
  for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::path& path = it->path();
    std::error_code entryError;
    // Links to directories are not followed, so nothing is packed twice; an archive written
    // into the folder itself is not packed into itself.
    if (it->is_symlink(entryError) && it->is_directory(entryError)) continue;
    if (fs::equivalent(path, fileops::FsPath(archive), entryError)) continue;
    const std::string name = fileops::Utf8(path.lexically_relative(root).generic_u8string());
    if (it->is_directory(entryError)) {
      if (zip_dir_add(za.get(), name.c_str(), ZIP_FL_ENC_UTF_8) < 0) {
        failure = ZipErrorText(za.get());
        return false;
      }
    } else if (it->is_regular_file(entryError)) {
      if (!AddFile(za.get(), fileops::Utf8(path), name, failure)) return false;
    } else {
      continue;
    }
    ++members;
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

// Splits a member name at '/' and '\', the separators of either world.
std::vector<std::string_view> NameParts(std::string_view name) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '/' || name[i] == '\\') {
      parts.push_back(name.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// A member may only name a place inside the destination: no absolute path, no drive and no
// step up. Such names are refused, never repaired.
bool SafeMemberName(std::string_view name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (name.size() >= 2 && letter(name[0]) && name[1] == ':') return false;
  for (std::string_view part : NameParts(name)) {
    if (part == "..") return false;
#ifdef _WIN32
    // Windows drops trailing dots and blanks from a name, so ". ." or "..." could still climb;
    // and a colon names a drive or a hidden stream of a file.
    if (part.find(':') != std::string_view::npos) return false;
    if (part != "." && !part.empty() && (part.back() == '.' || part.back() == ' ')) return false;
#endif
  }
  return true;
}

bool IsDirectoryMember(std::string_view name) {
#ifdef _WIN32
  return !name.empty() && (name.back() == '/' || name.back() == '\\');
#else
  return !name.empty() && name.back() == '/';
#endif
}

// Where a member lands: its name split into the names of the directories it passes through
// and of the file itself. On POSIX a backslash is an ordinary character of a file name.
std::vector<std::string> TargetParts(std::string_view name) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
#ifdef _WIN32
    const bool separator = i == name.size() || name[i] == '/' || name[i] == '\\';
#else
    const bool separator = i == name.size() || name[i] == '/';
#endif
    if (!separator) continue;
    const std::string_view part = name.substr(start, i - start);
    if (!part.empty() && part != ".") parts.emplace_back(part);
    start = i + 1;
  }
  return parts;
}

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string joined;
  for (const std::string& part : parts) joined += "/" + part;
  return joined;
}

// A link already lying in the destination could lead a member out of it; the directories a
// member passes through must be real directories.
bool PassesThroughLink(const fs::path& destination, const std::vector<std::string>& parts,
                       size_t directories) {
  fs::path path = destination;
  for (size_t i = 0; i < directories && i < parts.size(); ++i) {
    path /= fileops::FsPath(parts[i]);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || status.type() == fs::file_type::not_found) return false;
    if (fs::is_symlink(status)) return true;
  }
  return false;
}

struct Member {
  zip_uint64_t index;
  std::string name;
  zip_uint64_t size;
  bool directory;
};

// How one unpacking treats the folder it unpacks into.
struct UnpackRules {
  std::vector<fs::path> keep;       // files that no member may replace
  bool keepExisting = false;        // no member may replace anything that is already there
  UnpackedFiles* record = nullptr;  // receives every file and folder the unpacking makes
};

// A member may land on a folder that is already there, or on nothing at all.
bool LandsOnSomethingThere(const fs::path& target, bool directory) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(target, ec);
  if (status.type() == fs::file_type::not_found) return false;
  return !(directory && fs::is_directory(status));
}

// True when `target` is one of the files that unpacking must leave alone.
bool WouldReplace(const fs::path& target, const std::vector<fs::path>& keep) {
  for (const fs::path& kept : keep) {
    std::error_code ec;
    if (fs::equivalent(target, kept, ec)) return true;
  }
  return false;
}

bool CheckMembers(zip_t* za, const fs::path& destination, const UnpackRules& rules,
                  std::vector<Member>& members, std::string& failure) {
  const zip_int64_t count = zip_get_num_entries(za, 0);
  std::set<std::string> seen;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
      failure = ZipErrorText(za);
      return false;
    }
    const std::string name = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
    const bool directory = IsDirectoryMember(name);
    if (!SafeMemberName(name)) {
      failure = "Niedozwolona nazwa w archiwum: " + name;
      return false;
    }
    const std::vector<std::string> parts = TargetParts(name);
    if (parts.empty() && !directory) {
      failure = "Niedozwolona nazwa w archiwum: " + name;
      return false;
    }
    // Two members that land on the same place would silently replace one another.
    if (!seen.insert(JoinParts(parts)).second) {
      failure = "Powtórzona nazwa w archiwum: " + name;
      return false;
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
      failure = "Zaszyfrowany element archiwum: " + name;
      return false;
    }
    if ((st.valid & ZIP_STAT_COMP_METHOD) &&
        !zip_compression_method_supported(static_cast<zip_int32_t>(st.comp_method), 0)) {
      failure = "Nieobsługiwana metoda kompresji (" + std::to_string(st.comp_method) +
                ") elementu archiwum: " + name;
      return false;
    }
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxMemberSize) {
      failure = "Element archiwum jest za duży (ponad 1 GiB): " + name;
      return false;
    }
    const size_t directories = directory ? parts.size() : parts.size() - 1;
    if (PassesThroughLink(destination, parts, directories)) {
      failure = "Element archiwum prowadzi przez dowiązanie symboliczne: " + name;
      return false;
    }
    fs::path target = destination;
    for (const std::string& part : parts) target /= fileops::FsPath(part);
    if (!directory && WouldReplace(target, rules.keep)) {
      failure = "Element archiwum zastąpiłby rozpakowywany plik: " + name;
      return false;
    }
    if (rules.keepExisting && LandsOnSomethingThere(target, directory)) {
      failure = "Element archiwum zastąpiłby plik, który już jest w katalogu: " + name;
      return false;
    }
    members.push_back({static_cast<zip_uint64_t>(i), name, st.size, directory});
  }
  return true;
}

FilePtr CreateNewFile(const fs::path& path) {
#ifdef _WIN32
  return FilePtr(_wfopen(path.c_str(), L"wbx"));
#else
  return FilePtr(std::fopen(path.c_str(), "wbx"));
#endif
}

// Streams one member into a fresh file beside its target and renames it over the target, so
// that a member that fails half-way leaves the old file of that name as it was.
bool ExtractFile(zip_t* za, const Member& member, const fs::path& target, std::string& failure) {
  FileError err;
  if (!fileops::Fallible(err)) {
    failure = Describe(err);
    return false;
  }
  ZipFilePtr zf(zip_fopen_index(za, member.index, 0));
  if (!zf) {
    failure = ZipErrorText(za) + ": " + member.name;
    return false;
  }

  // A random name, so that leftovers of an unpacking that was killed never block the next one.
  static std::mt19937_64 random{std::random_device{}()};
  fs::path temp;
  FilePtr out;
  for (int attempt = 0; attempt < 100 && !out; ++attempt) {
    temp = target;
    temp.replace_filename(".rostrel-unzip-" + std::to_string(random()));
    errno = 0;
    out = CreateNewFile(temp);
    if (!out && errno != EEXIST) break;
  }
  if (!out) {
    failure = OsErrorText(errno ? errno : EIO) + ": " + fileops::Utf8(temp);
    return false;
  }

  const auto removeTemp = [&] {
    FileError ignored;
    fileops::RemoveFile(fileops::Utf8(temp), ignored);
  };
  const auto discard = [&] {
    out.reset();
    removeTemp();
    return false;
  };
  const zip_uint64_t limit = std::min<zip_uint64_t>(member.size, kMaxMemberSize);
  std::vector<char> buffer(1 << 16);
  zip_uint64_t total = 0;
  for (;;) {
    const zip_int64_t n = zip_fread(zf.get(), buffer.data(), buffer.size());
    if (n < 0) {
      failure = ZipErrorText(zip_file_get_error(zf.get())) + ": " + member.name;
      return discard();
    }
    if (n == 0) break;
    total += static_cast<zip_uint64_t>(n);
    if (total > limit) {
      failure = "Element archiwum jest większy, niż podaje archiwum: " + member.name;
      return discard();
    }
    if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), out.get()) !=
        static_cast<size_t>(n)) {
      failure = OsErrorText(errno ? errno : EIO) + ": " + fileops::Utf8(target);
      return discard();
    }
  }
  if (total != member.size) {
    failure = "Element archiwum jest krótszy, niż podaje archiwum: " + member.name;
    return discard();
  }
  errno = 0;
  if (std::fclose(out.release()) != 0) {
    failure = OsErrorText(errno ? errno : EIO) + ": " + fileops::Utf8(target);
    removeTemp();
    return false;
  }
  if (!fileops::ReplaceFileAtomically(fileops::Utf8(temp), fileops::Utf8(target), err,
                                      /*durable=*/false)) {
    failure = Describe(err) + ": " + fileops::Utf8(target);
    removeTemp();
    return false;
  }
  return true;
}

// Creates the folders on the way to `folder` that are not there yet, noting each one made.
bool MakeFolders(const fs::path& destination, const fs::path& folder, UnpackedFiles* record,
                 std::string& failure) {
  fs::path path = destination;
  for (const fs::path& part : folder.lexically_relative(destination)) {
    path /= part;
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) continue;
    if (!fs::create_directory(path, ec) || ec) {
      failure = Describe(ErrorFrom(ec ? ec : std::make_error_code(std::errc::file_exists))) + ": " +
                fileops::Utf8(path);
      return false;
    }
    if (record) record->AddFolder(path);
  }
  return true;
}

bool Unpack(const std::string& archive, const std::string& destination, UnpackRules rules,
            std::string& failure) {
  std::error_code ec;
  const fs::path dest = fileops::FsPath(destination);
  if (!fs::is_directory(dest, ec)) {
    failure = OsErrorText(fs::exists(dest, ec) ? ENOTDIR : ENOENT) + ": " + destination;
    return false;
  }
  // libzip takes an empty file for an empty archive; an LXF file of no bytes is not one.
  const fs::path archivePath = fileops::FsPath(archive);
  if (fs::is_regular_file(archivePath, ec) && fs::file_size(archivePath, ec) == 0 && !ec) {
    failure = Describe(ZipError(ZIP_ER_NOZIP));
    return false;
  }
  ZipPtr za = OpenArchive(archive, ZIP_RDONLY, failure);
  if (!za) return false;

  rules.keep.push_back(archivePath);
  std::vector<Member> members;
  if (!CheckMembers(za.get(), dest, rules, members, failure)) return false;

  for (const Member& member : members) {
    fs::path target = dest;
    for (const std::string& part : TargetParts(member.name)) target /= fileops::FsPath(part);
    const fs::path folder = member.directory ? target : target.parent_path();
    if (!MakeFolders(dest, folder, rules.record, failure)) return false;
    if (member.directory) continue;
    if (!ExtractFile(za.get(), member, target, failure)) return false;
    if (rules.record) rules.record->AddFile(target);
  }
  return true;
}

bool Fail(Prompter& prompter, const std::string& failure) {
  prompter.message(failure, "error", Icon::Warning, Buttons::Ok);
  return false;
}

bool Succeed() {
  ++g_pausesTaken;
  if (g_pause.count() > 0) std::this_thread::sleep_for(g_pause);
  return true;
}

}  // namespace

void SetShellZipPause(std::chrono::milliseconds pause) { g_pause = pause; }

std::chrono::milliseconds ShellZipPause() { return g_pause; }

int ShellZipPausesTaken() { return g_pausesTaken; }

bool CreateEmptyZip(Prompter& prompter, const std::string& path) {
  static constexpr char kEmptyArchive[22] = {0x50, 0x4B, 0x05, 0x06};
  FileError err;
  if (!fileops::WriteFile(path, std::string_view(kEmptyArchive, sizeof kEmptyArchive), err)) {
    prompter.message(Describe(err), "Error", Icon::Warning, Buttons::Ok);
    return false;
  }
  return true;
}

bool ShellZip(Prompter& prompter, const std::string& action, const std::string& source,
              const std::string& destination) {
  if (source.empty() || destination.empty()) return false;
  const std::string verb = Upper(action);
  std::string failure;
  if (verb == "ZIPFILE" || verb == "ZIPFOLDER") {
    const std::string archive = WithZipSuffix(destination);
    // The empty archive would overwrite the very file that is to be packed.
    std::error_code ec;
    if (fs::equivalent(fileops::FsPath(source), fileops::FsPath(archive), ec)) {
      return Fail(prompter, "Nie można spakować pliku do niego samego: " + source);
    }
    if (!CreateEmptyZip(prompter, archive)) return false;
    const bool packed = verb == "ZIPFILE" ? PackFile(source, archive, failure)
                                          : PackFolder(source, archive, failure);
    if (!packed) return Fail(prompter, failure);
  } else if (verb == "UNZIP") {
    if (!Unpack(WithZipSuffix(source), destination, {}, failure)) return Fail(prompter, failure);
  }
  return Succeed();
}

bool UnzipBeside(Prompter& prompter, const std::string& source, const std::string& destination,
                 const std::string& keep, UnpackedFiles& unpacked) {
  if (source.empty() || destination.empty()) return false;
  std::string failure;
  const UnpackRules rules{{fileops::FsPath(keep)}, true, &unpacked};
  if (!Unpack(WithZipSuffix(source), destination, rules, failure)) return Fail(prompter, failure);
  return Succeed();
}

}  // namespace rostrel
