#include "archive/unpack_lxf.h"

#include "archive/document_folder.h"
#include "archive/member_checks.h"
#include "archive/shell_zip.h"
#include "common/fileops.h"
#include "common/prompter.h"

namespace rostrel {

bool DirectoryPreCheck(Prompter& prompter, const std::string& lxfPath) {
  if (getLefFile(getDir(lxfPath)) == kNoLefFile) return true;
  ShowStop(prompter, kLefFilesPresentMessage);
  return false;
}

void ShowHeld(Prompter& prompter, const std::string& path, const std::string& unchanged) {
  ShowStop(prompter, std::string(kHeldMessage) + "\r\n" + path + "\r\n" + kHeldAdvice +
                         (unchanged.empty() ? "" : " " + unchanged));
}

void ShowPathTooLong(Prompter& prompter, const std::string& folder) {
  ShowStop(prompter,
           std::string(kPathTooLongMessage) + "\r\n" + folder + "\r\n" + kPathTooLongAdvice);
}

UnpackResult UnpackLxf(Prompter& prompter, const std::string& lxfPath, UnpackedFiles& unpacked,
                       const std::string& unchanged) {
  UnpackFailure failure;
  if (!UnzipBeside(prompter, lxfPath, getDir(lxfPath), unpacked, failure)) {
    // Only a fault of the archive sends the user to the author: a file of the user's in the way,
    // or a disk that cannot be read or written, is told as what it is, with what to do.
    switch (failure.kind) {
      case UnpackFailure::Archive:
        ShowStop(prompter, kInvalidArchiveMessage);
        break;
      case UnpackFailure::InTheWay:
        ShowStop(prompter,
                 std::string(kInTheWayMessage) + "\r\n" + failure.path + "\r\n" + kInTheWayAdvice);
        break;
      case UnpackFailure::Disk:
        if (fileops::HeldByAnotherProgram(failure.error)) {
          ShowHeld(prompter, failure.path, unchanged);
          break;
        }
        ShowStop(prompter, std::string(kUnpackFailedMessage) + "\r\n" + failure.text + "\r\n" +
                               kUnpackFailedAdvice);
        break;
      case UnpackFailure::TooLong:
        ShowPathTooLong(prompter, failure.path);
        break;
    }
    return {UnpackResult::ArchiveFailed, "", {}};
  }

  const std::string document = getLefFile(getDir(lxfPath));
  if (document == kSeveralLefFiles) {
    ShowStop(prompter, kSeveralDocumentsMessage);
    return {UnpackResult::NoSingleDocument, "", {}};
  }
  // Only a document that this unpacking wrote is the archive's own.
  const std::string* name = document == kNoLefFile ? nullptr : unpacked.StoredNameOf(document);
  if (!name) {
    ShowStop(prompter, kNoDocumentMessage);
    return {UnpackResult::NoSingleDocument, "", {}};
  }
  return {UnpackResult::DocumentFound, document, *name};
}

void RemoveUnpacked(Prompter& prompter, UnpackedFiles& unpacked) {
  TellLeftovers(prompter, unpacked.RemoveAll());
}

void TellLeftovers(Prompter& prompter, const std::vector<UnpackedFiles::Leftover>& leftovers) {
  if (leftovers.empty()) return;
  std::string text = kUnpackedLeftMessage;
  for (const UnpackedFiles::Leftover& left : leftovers)
    text += "\r\n" + left.path + " (" + DescribeWithCode(left.error) + ")";
  ShowStop(prompter, text);
}

}  // namespace rostrel
