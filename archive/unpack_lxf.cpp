#include "archive/unpack_lxf.h"

#include <filesystem>
#include <system_error>

#include "archive/document_folder.h"
#include "archive/shell_zip.h"
#include "common/fileops.h"
#include "common/prompter.h"

namespace rostrel {
namespace {

// Removes the archive copy; tells the user when that fails.
bool RemoveCopy(Prompter& prompter, const std::string& copyPath) {
  FileError err;
  if (fileops::RemoveFile(copyPath, err)) return true;
  ShowStop(prompter, "Nie można usunąć pliku " + copyPath + ": " + DescribeWithCode(err));
  return false;
}

}  // namespace

bool DirectoryPreCheck(Prompter& prompter, const std::string& lxfPath) {
  if (getLefFile(getDir(lxfPath)) == kNoLefFile) return true;
  ShowStop(prompter, kLefFilesPresentMessage);
  return false;
}

UnpackResult UnpackLxf(Prompter& prompter, const std::string& lxfPath, UnpackedFiles& unpacked) {
  const std::string copyPath = lxfPath + ".zip";
  FileError err;
  if (!fileops::CopyFileReplacing(lxfPath, copyPath, err)) {
    ShowStop(prompter, "Nie można skopiować pliku " + lxfPath + " do " + copyPath + ": " +
                           DescribeWithCode(err));
    // A copy that broke off half-way is of no use to anyone.
    std::error_code ec;
    if (std::filesystem::is_regular_file(
            std::filesystem::symlink_status(fileops::FsPath(copyPath), ec))) {
      FileError ignored;
      fileops::RemoveFile(copyPath, ignored);
    }
    return {UnpackResult::FileFailed, ""};
  }

  if (!UnzipBeside(prompter, copyPath, getDir(lxfPath), lxfPath, unpacked)) {
    ShowStop(prompter, kInvalidArchiveMessage);
    if (!RemoveCopy(prompter, copyPath)) return {UnpackResult::FileFailed, ""};
    return {UnpackResult::ArchiveFailed, ""};
  }
  if (!RemoveCopy(prompter, copyPath)) return {UnpackResult::FileFailed, ""};

  const std::string document = getLefFile(getDir(lxfPath));
  if (document == kNoLefFile || document == kSeveralLefFiles) {
    ShowStop(prompter, document == kNoLefFile ? kNoDocumentMessage : kSeveralDocumentsMessage);
    return {UnpackResult::NoSingleDocument, ""};
  }
  return {UnpackResult::DocumentFound, document};
}

void RemoveUnpacked(Prompter& prompter, UnpackedFiles& unpacked) {
  const std::vector<UnpackedFiles::Leftover> leftovers = unpacked.RemoveAll();
  if (leftovers.empty()) return;
  std::string text = kUnpackedLeftMessage;
  for (const UnpackedFiles::Leftover& left : leftovers)
    text += "\r\n" + left.path + " (" + DescribeWithCode(left.error) + ")";
  ShowStop(prompter, text);
}

}  // namespace rostrel
