#include "archive/unpack.h"

#include <filesystem>
#include <system_error>

#include "archive/modlxf.h"
#include "archive/paths.h"
#include "common/fileops.h"
#include "common/prompter.h"

namespace rostrel {
namespace {

std::string Reason(const FileError& err) { return std::to_string(err.code) + " " + err.text; }

// Removes the archive copy; tells the user when that fails.
bool RemoveCopy(Prompter& prompter, const std::string& copyPath) {
  FileError err;
  if (fileops::RemoveFile(copyPath, err)) return true;
  ShowStop(prompter, "Nie można usunąć pliku " + copyPath + ": " + Reason(err));
  return false;
}

}  // namespace

bool DirectoryPreCheck(Prompter& prompter, const std::string& lxfPath) {
  if (getLefFile(getDir(lxfPath)) == kNoLefFile) return true;
  ShowStop(prompter, kLefFilesPresentMessage);
  return false;
}

UnpackResult UnpackLxf(Prompter& prompter, const std::string& lxfPath) {
  const std::string copyPath = lxfPath + ".zip";
  FileError err;
  if (!fileops::CopyFileReplacing(lxfPath, copyPath, err)) {
    ShowStop(prompter,
             "Nie można skopiować pliku " + lxfPath + " do " + copyPath + ": " + Reason(err));
    // A copy that broke off half-way is of no use to anyone.
    std::error_code ec;
    if (std::filesystem::is_regular_file(
            std::filesystem::symlink_status(fileops::FsPath(copyPath), ec))) {
      FileError ignored;
      fileops::RemoveFile(copyPath, ignored);
    }
    return {UnpackResult::FileFailed, ""};
  }

  if (!UnzipKeeping(prompter, copyPath, getDir(lxfPath), lxfPath)) {
    ShowStop(prompter, kInvalidArchiveMessage);
    if (!RemoveCopy(prompter, copyPath)) return {UnpackResult::FileFailed, ""};
    return {UnpackResult::ArchiveFailed, ""};
  }
  if (!RemoveCopy(prompter, copyPath)) return {UnpackResult::FileFailed, ""};

  const std::string document = getLefFile(getDir(lxfPath));
  if (document == kNoLefFile || document == kSeveralLefFiles) {
    return {UnpackResult::NoSingleDocument, ""};
  }
  return {UnpackResult::DocumentFound, document};
}

}  // namespace rostrel
