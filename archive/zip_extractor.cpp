#include "archive/zip_extractor.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "archive/unpacked_files.h"
#include "archive/zip_handles.h"
#include "common/file_error.h"
#include "common/fileops.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;

// Failures of the disk (the LXF file, the folder), which are no fault of the archive: what
// failed and on which file.
bool DiskFailure(UnpackFailure& failure, const FileError& err, const std::string& path) {
  failure = {UnpackFailure::Disk, Describe(err) + ": " + path, path, err};
  return false;
}

// libzip's failure over a member: the disk's when a system call failed, the archive's otherwise.
bool ZipFailure(UnpackFailure& failure, const zip_error_t* error, const std::string& member) {
  failure = {IsSystemError(error) ? UnpackFailure::Disk : UnpackFailure::Archive,
             ZipErrorText(error) + ": " + member, "", {}};
  return false;
}

// Copies the member's data into `out`, no more than the archive declares.
bool CopyData(zip_file_t* zf, const CheckedMember& member, fileops::NewFile& out,
              UnpackFailure& failure) {
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
                 "Element archiwum jest większy, niż podaje archiwum: " + member.name, "", {}};
      return false;
    }
    FileError err;
    if (!out.Write(std::string_view(buffer.data(), static_cast<size_t>(n)), err))
      return DiskFailure(failure, err, fileops::Utf8(member.target));
  }
  if (total != member.size) {
    failure = {UnpackFailure::Archive,
               "Element archiwum jest krótszy, niż podaje archiwum: " + member.name, "", {}};
    return false;
  }
  return true;
}

// Writes the member into a fresh file beside its place, then gives that file the member's name,
// which nothing may have taken in the meantime: a member that fails half-way leaves nothing under
// its name, and a file of the user's that appeared there stays as it is.
bool ExtractFile(zip_t* za, const CheckedMember& member, UnpackedFiles* record,
                 UnpackFailure& failure) {
  ZipMember zf(zip_fopen_index(za, member.index, 0));
  if (!zf) return ZipFailure(failure, zip_get_error(za), member.name);
  const std::string target = fileops::Utf8(member.target);
  fileops::NewFile out;
  FileError err;
  // The message names the member's place: the temporary name would tell the user nothing.
  if (!out.CreateTemporary(fileops::Utf8(member.target.parent_path() / ""), err))
    return DiskFailure(failure, err, target);
  bool written = CopyData(zf.get(), member, out, failure);
  if (!out.Close(err, /*durable=*/false) && written) written = DiskFailure(failure, err, target);
  if (written && !fileops::RenameNoReplace(out.path(), target, err)) {
    if (fileops::AlreadyExists(err)) {
      failure = {UnpackFailure::InTheWay, Describe(err) + ": " + target, target, err};
      written = false;
    } else {
      written = DiskFailure(failure, err, target);
    }
  }
  if (!written) {
    FileError ignored;
    fileops::RemoveOwnFile(out.path(), out.identity(), ignored);
    return false;
  }
  if (record) record->AddFile(member.target, out.identity(), member.storedName);
  return true;
}

// Creates the folders on the way to `folder` that are not there yet, noting each one made.
bool MakeFolders(const fs::path& destination, const fs::path& folder, UnpackedFiles* record,
                 UnpackFailure& failure) {
  fs::path path = destination;
  for (const fs::path& part : folder.lexically_relative(destination)) {
    path /= part;
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) continue;
    fileops::FileIdentity id;
    FileError err;
    if (!fileops::MakeFolder(fileops::Utf8(path), id, err))
      return DiskFailure(failure, err, fileops::Utf8(path));
    if (record) record->AddFolder(path, id);
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
    return DiskFailure(failure, PosixError(fs::exists(dest, ec) ? ENOTDIR : ENOENT), destination);
  }
  if (fileops::TooLongForTheSystem(archive)) {
    failure = {UnpackFailure::TooLong, Describe(PosixError(ENAMETOOLONG)) + ": " + archive,
               destination, PosixError(ENAMETOOLONG)};
    return false;
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
    if (system) failure = {UnpackFailure::Disk, failure.text + ": " + archive, archive, {}};
    return false;
  }

  rules.keep.push_back(archivePath);
  std::vector<CheckedMember> members;
  if (!CheckMembers(za.get(), dest, rules, members, failure)) return false;

  for (const CheckedMember& member : members) {
    const fs::path folder = member.folder ? member.target : member.target.parent_path();
    if (!MakeFolders(dest, folder, rules.record, failure)) return false;
    if (member.folder) continue;
    if (!ExtractFile(za.get(), member, rules.record, failure)) return false;
  }
  return true;
}

}  // namespace rostrel
