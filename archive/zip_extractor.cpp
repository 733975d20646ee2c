#include "archive/zip_extractor.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "archive/unpacked_files.h"
#include "archive/zip_handles.h"
#include "common/file_error.h"
#include "common/fileops.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;

// Failures of the disk (the LXF file, the folder), which are no fault of the archive.
bool DiskFailure(UnpackFailure& failure, std::string text) {
  failure = {UnpackFailure::Disk, std::move(text), ""};
  return false;
}

bool SystemFailure(UnpackFailure& failure, const fs::path& path) {
  return DiskFailure(failure,
                     Describe(PosixError(errno ? errno : EIO)) + ": " + fileops::Utf8(path));
}

// libzip's failure over a member: the disk's when a system call failed, the archive's otherwise.
bool ZipFailure(UnpackFailure& failure, const zip_error_t* error, const std::string& member) {
  failure = {IsSystemError(error) ? UnpackFailure::Disk : UnpackFailure::Archive,
             ZipErrorText(error) + ": " + member, ""};
  return false;
}

CFile CreateNewFile(const fs::path& path) {
#ifdef _WIN32
  return CFile(_wfopen(path.c_str(), L"wbx"));
#else
  return CFile(std::fopen(path.c_str(), "wbx"));
#endif
}

// A fresh file beside `target` under a random name, so that leftovers of an unpacking that was
// killed never block the next one.
CFile CreateTempBeside(const fs::path& target, fs::path& temp, UnpackFailure& failure) {
  static std::mt19937_64 random{std::random_device{}()};
  CFile out;
  for (int attempt = 0; attempt < 100 && !out; ++attempt) {
    temp = target;
    temp.replace_filename(".rostrel-unzip-" + std::to_string(random()));
    errno = 0;
    out = CreateNewFile(temp);
    if (!out && errno != EEXIST) break;
  }
  // The message names the member's place: the random name would tell the user nothing.
  if (!out) SystemFailure(failure, target);
  return out;
}

// Copies the member's data into `out`, no more than the archive declares.
bool CopyData(zip_file_t* zf, const CheckedMember& member, std::FILE* out, UnpackFailure& failure) {
  const zip_uint64_t limit = std::min<zip_uint64_t>(member.size, kMaxMemberSize);
  std::vector<char> buffer(1 << 16);
  zip_uint64_t total = 0;
  for (;;) {
    const zip_int64_t n = zip_fread(zf, buffer.data(), buffer.size());
    if (n < 0) return ZipFailure(failure, zip_file_get_error(zf), member.name);
    if (n == 0) break;
    total += static_cast<zip_uint64_t>(n);
    if (total > limit) {
      failure = {UnpackFailure::Archive,
                 "Element archiwum jest większy, niż podaje archiwum: " + member.name, ""};
      return false;
    }
    if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), out) != static_cast<size_t>(n))
      return SystemFailure(failure, member.target);
  }
  if (total != member.size) {
    failure = {UnpackFailure::Archive,
               "Element archiwum jest krótszy, niż podaje archiwum: " + member.name, ""};
    return false;
  }
  return true;
}

bool ExtractFile(zip_t* za, const CheckedMember& member, UnpackFailure& failure) {
  FileError err;
  if (!fileops::Fallible(err)) return DiskFailure(failure, Describe(err) + ": " + member.name);
  ZipMember zf(zip_fopen_index(za, member.index, 0));
  if (!zf) return ZipFailure(failure, zip_get_error(za), member.name);
  fs::path temp;
  CFile out = CreateTempBeside(member.target, temp, failure);
  if (!out) return false;
  bool written = CopyData(zf.get(), member, out.get(), failure);
  errno = 0;
  if (std::fclose(out.release()) != 0 && written) written = SystemFailure(failure, member.target);
  if (written &&
      !fileops::ReplaceFileAtomically(fileops::Utf8(temp), fileops::Utf8(member.target), err,
                                      /*durable=*/false)) {
    written = DiskFailure(failure, Describe(err) + ": " + fileops::Utf8(member.target));
  }
  if (!written) {
    FileError ignored;
    fileops::RemoveFile(fileops::Utf8(temp), ignored);
  }
  return written;
}

// Creates the folders on the way to `folder` that are not there yet, noting each one made.
bool MakeFolders(const fs::path& destination, const fs::path& folder, UnpackedFiles* record,
                 UnpackFailure& failure) {
  fs::path path = destination;
  for (const fs::path& part : folder.lexically_relative(destination)) {
    path /= part;
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) continue;
    if (!fs::create_directory(path, ec) || ec) {
      if (!ec) ec = std::make_error_code(std::errc::file_exists);
      return DiskFailure(failure, Describe(ErrorFrom(ec)) + ": " + fileops::Utf8(path));
    }
    if (record) record->AddFolder(path);
  }
  return true;
}

}  // namespace

bool Unpack(const std::string& archive, const std::string& destination, UnpackRules rules,
            UnpackFailure& failure) {
  failure = {};
  std::error_code ec;
  const fs::path dest = fileops::FsPath(destination);
  if (!fs::is_directory(dest, ec)) {
    return DiskFailure(failure, Describe(PosixError(fs::exists(dest, ec) ? ENOTDIR : ENOENT)) +
                                    ": " + destination);
  }
  // libzip takes an empty file for an empty archive; an LXF file of no bytes is not one.
  const fs::path archivePath = fileops::FsPath(archive);
  if (fs::is_regular_file(archivePath, ec) && fs::file_size(archivePath, ec) == 0 && !ec) {
    failure.text = Describe(ZipError(ZIP_ER_NOZIP));
    return false;
  }
  bool system = false;
  ZipArchive za = OpenArchive(archive, ZIP_RDONLY, failure.text, &system);
  if (!za) {
    if (system) failure = {UnpackFailure::Disk, failure.text + ": " + archive, ""};
    return false;
  }

  rules.keep.push_back(archivePath);
  std::vector<CheckedMember> members;
  if (!CheckMembers(za.get(), dest, rules, members, failure)) return false;

  for (const CheckedMember& member : members) {
    const fs::path folder = member.folder ? member.target : member.target.parent_path();
    if (!MakeFolders(dest, folder, rules.record, failure)) return false;
    if (member.folder) continue;
    if (!ExtractFile(za.get(), member, failure)) return false;
    if (rules.record) rules.record->AddFile(member.target, member.storedName);
  }
  return true;
}

}  // namespace rostrel
