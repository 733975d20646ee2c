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
    // A file of the user's in the way is no fault of the archive: the user is told what to move.
    ShowStop(prompter,
             failure.kind == UnpackFailure::InTheWay
                 ? std::string(kInTheWayMessage) + "\r\n" + failure.path + "\r\n" + kInTheWayAdvice
                 : kInvalidArchiveMessage);
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
  const std::vector<UnpackedFiles::Leftover> leftovers = unpacked.RemoveAll();
  if (leftovers.empty()) return;
  std::string text = kUnpackedLeftMessage;
  for (const UnpackedFiles::Leftover& left : leftovers)
    text += "\r\n" + left.path + " (" + DescribeWithCode(left.error) + ")";
  ShowStop(prompter, text);
}

}  // namespace rostrel
