#include "entries/paste_action.h"

#include <string>

#include "archive/document_folder.h"
#include "archive/shell_zip.h"
#include "archive/unpack_lxf.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "entries/rewrite_entries.h"

namespace rostrel {
namespace {

class Paste {
 public:
  Paste(Prompter& prompter, const ClubsSection& clubs) : prompter_(prompter), clubs_(clubs) {}

  // The whole click.
  void Run(FileDialogSettings& comIN, const std::string& dbFile) {
    // Whatever the entries file holds, these clubs would leave its new document broken: the
    // click ends before the user chooses anything.
    if (clubs_.balance.kind != TagBalance::Balanced) {
      ShowStop(prompter_, DamagedDocumentText(LefFile::Database, dbFile, clubs_.balance) + " " +
                              kUnchangedMessage);
      return;
    }
    entriesPath_ = Choose(comIN, dbFile);
    if (entriesPath_.empty()) return;
    // The folder must hold no LEF document of its own: the one unpacked is then the archive's.
    if (!DirectoryPreCheck(prompter_, entriesPath_)) return;
    // The new archive is written beside the file that a link names, so that the rename stays on
    // that file's file system and the link goes on pointing at the entries file.
    replacedPath_ = fileops::ResolveLinks(entriesPath_);
    folder_ = getDir(replacedPath_);
    if (fileops::TooLongForTheSystem(folder_ + std::string(fileops::kTemporaryNameLength, 'x'))) {
      ShowPathTooLong(prompter_, folder_);
      return;
    }

    const UnpackResult unpackResult =
        UnpackLxf(prompter_, entriesPath_, unpacked_, kUnchangedMessage);
    if (unpackResult.kind == UnpackResult::DocumentFound) Repack(unpackResult);
    // The folder is tidied before the user hears the outcome. A paste that replaced the entries
    // file says so first; what it could not tidy away comes after, so that a file left behind
    // never makes a finished paste look failed.
    const std::vector<UnpackedFiles::Leftover> leftovers = unpacked_.RemoveAll();
    if (replaced_) {
      prompter_.message(kPasteDoneMessage + entriesPath_, kAppTitle, Icon::Information,
                        Buttons::Ok);
      if (!documentLeft_.empty())
        prompter_.message(documentLeft_, kAppTitle, Icon::Warning, Buttons::Ok);
    }
    TellLeftovers(prompter_, leftovers);
  }

  bool Replaced() const { return replaced_; }

  // Something unforeseen (memory ran out): the new archive, unless it has already replaced the
  // entries file, and whatever was unpacked go, and the user hears whether the entries file was
  // replaced.
  void Abandon(const std::string& what) {
    if (!replaced_) RemoveArchive();
    RemoveUnpacked(prompter_, unpacked_);
    ShowProgramError(prompter_, replaced_ ? what + "\r\n" + kReplacedBeforeErrorMessage +
                                                entriesPath_
                                          : what);
  }

 private:
  // Asks for the entries file, refuses the database itself and a file the user may not write,
  // and asks for confirmation; the chosen path, or "" when the paste ends here.
  std::string Choose(FileDialogSettings& comIN, const std::string& dbFile) {
    comIN.defaultExt = ".lxf";
    comIN.filter = "LEF (*.lxf)|*.lxf";
    comIN.fileName.clear();
    comIN.filterIndex = 1;
    comIN.flags = kDialogExplorer | kDialogFileMustExist;
    prompter_.showOpen(comIN);
    const std::string entriesPath = comIN.fileName;
    if (entriesPath.empty()) return "";

    if (entriesPath == dbFile || fileops::SameFile(entriesPath, dbFile)) {
      ShowStop(prompter_, kSameFilesMessage);
      return "";
    }
    // The rename that replaces the entries file needs only the folder's permission: the file's
    // own mark is the user's word that it is not to be changed.
    if (fileops::IsReadOnly(entriesPath)) {
      ShowStop(prompter_, std::string(kReadOnlyEntriesMessage) + "\r\n" + entriesPath + "\r\n" +
                              kReadOnlyEntriesAdvice + " " + kUnchangedMessage);
      return "";
    }
    if (prompter_.message(kConfirmText, kConfirmTitle, Icon::None, Buttons::OkCancel) ==
        Answer::Cancel) {
      return "";
    }
    return entriesPath;
  }

  // Rewrites the unpacked document in memory, packs it into a new archive of the program's own
  // and puts that in the entries file's place. The document goes back under the name the
  // entries archive gave it, byte for byte: a name in a Windows code page must not come back in
  // UTF-8.
  void Repack(const UnpackResult& unpacked) {
    const Rewrite rewrite = RewriteEntries(prompter_, entriesPath_, unpacked.documentPath,
                                           clubs_.text, clubs_.encoding);
    if (rewrite.kind != Rewrite::Rewritten) return;
    if (!ZipTextAs(prompter_, rewrite.text, unpacked.documentName, folder_, archive_)) {
      RemoveArchive();
      return;
    }
    // The entries file itself is only touched by this rename, so until here it stays as it was.
    FileError err;
    if (!fileops::ReplaceFileAtomically(archive_.path(), replacedPath_, err)) {
      RemoveArchive();
      if (fileops::HeldByAnotherProgram(err)) {
        ShowHeld(prompter_, entriesPath_, kUnchangedMessage);
      } else {
        ShowProgramError(prompter_, DescribeWithCode(err));
      }
      return;
    }
    replaced_ = true;
    if (!unpacked_.Remove(unpacked.documentPath, err)) {
      documentLeft_ = std::string(kDocumentLeftMessage) + "\r\n" + unpacked.documentPath + " (" +
                      DescribeWithCode(err) + ")";
    }
  }

  // Removes the new archive, while it is still the file the paste made.
  void RemoveArchive() {
    if (archive_.path().empty()) return;
    FileError ignored;
    archive_.Close(ignored, false);
    fileops::RemoveOwnFile(archive_.path(), archive_.identity(), ignored);
  }

  Prompter& prompter_;
  const ClubsSection& clubs_;
  std::string entriesPath_;   // as the dialog gave it
  std::string replacedPath_;  // the file that is replaced: the one a link names
  std::string folder_;        // where the new archive is written
  fileops::NewFile archive_;
  UnpackedFiles unpacked_;
  bool replaced_ = false;
  std::string documentLeft_;  // the warning about a document the paste could not remove
};

}  // namespace

bool PasteEntries(Prompter& prompter, FileDialogSettings& comIN, const std::string& dbFile,
                  const ClubsSection& clubs) {
  Paste paste(prompter, clubs);
  RunGuarded([&] { paste.Run(comIN, dbFile); },
             [&](const std::string& what) { paste.Abandon(what); });
  return paste.Replaced();
}

}  // namespace rostrel
