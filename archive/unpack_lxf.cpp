#include "archive/unpack_lxf.h"

#include "archive/document_folder.h"
#include "archive/member_checks.h"
#include "archive/shell_zip.h"
#include "common/prompter.h"

namespace rostrel {

bool DirectoryPreCheck(Prompter& prompter, const std::string& lxfPath) {
  if (getLefFile(getDir(lxfPath)) == kNoLefFile) return true;
  ShowStop(prompter, kLefFilesPresentMessage);
  return false;
}

UnpackResult UnpackLxf(Prompter& prompter, const std::string& lxfPath, UnpackedFiles& unpacked) {
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
        ShowStop(prompter, std::string(kUnpackFailedMessage) + "\r\n" + failure.text + "\r\n" +
                               kUnpackFailedAdvice);
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
