#include "entries/paste_action.h"

#include <string>

#include "archive/shell_zip.h"
#include "archive/unpack_lxf.h"
#include "common/fileops.h"
#include "common/lef_document.h"
#include "entries/rewrite_entries.h"

namespace rostrel {
namespace {

// The program's temporary files beside the entries file: the unpacked document and the new
// archive. Whatever is still listed when the paste ends early is removed, quietly and only
// where it is an ordinary file, so that the next paste or open in that folder is not blocked.
struct Temporaries {
  std::string document;
  std::string archive;

  void RemoveAll() {
    Remove(document);
    Remove(archive);
  }
  static void Remove(std::string& path) {
    if (path.empty()) return;
    FileError ignored;
    if (fileops::IsRegularFile(path)) fileops::RemoveFile(path, ignored);
    path.clear();
  }
};

class Paste {
 public:
  Paste(Prompter& prompter, const std::string& clubsText, const std::string& clubsEncoding,
        const TagBalance& clubsBalance)
      : prompter_(prompter),
        clubsText_(clubsText),
        clubsEncoding_(clubsEncoding),
        clubsBalance_(clubsBalance) {}

  // The whole click: true when the entries file was replaced.
  bool Run(FileDialogSettings& comIN, const std::string& dbFile) {
    const std::string entriesPath = Choose(comIN, dbFile);
    if (entriesPath.empty()) return false;
    // Whatever the entries file holds, these clubs would leave its new document broken.
    if (clubsBalance_.kind != TagBalance::Balanced) {
      ShowStop(prompter_, DamagedDocumentText(LefFile::Database, dbFile, clubsBalance_) + " " +
                              kUnchangedMessage);
      return false;
    }
    // The folder must hold no LEF document of its own: the one unpacked is then the archive's.
    if (!DirectoryPreCheck(prompter_, entriesPath)) return false;

    bool replaced = false;
    const UnpackResult unpackResult = UnpackLxf(prompter_, entriesPath, unpacked_);
    if (unpackResult.kind == UnpackResult::DocumentFound) {
      unpacked_.Forget(unpackResult.documentPath);
      temporaries_.document = unpackResult.documentPath;
      replaced = Repack(entriesPath, unpackResult.documentPath, unpackResult.documentName);
    }
    // The folder is tidied before the user hears the outcome. A paste that replaced the entries
    // file says so first; what it could not tidy away comes after, so that a file left behind
    // never makes a finished paste look failed.
    const std::vector<UnpackedFiles::Leftover> leftovers = unpacked_.RemoveAll();
    if (replaced) {
      prompter_.message(kPasteDoneMessage + entriesPath, kAppTitle, Icon::Information, Buttons::Ok);
      if (!documentLeft_.empty())
        prompter_.message(documentLeft_, kAppTitle, Icon::Warning, Buttons::Ok);
    }
    TellLeftovers(prompter_, leftovers);
    return replaced;
  }

  // Something unforeseen (memory ran out): our temporary files and whatever was unpacked go,
  // and the entries file stays as it was unless the rename has already replaced it.
  void Abandon(const std::string& what) {
    temporaries_.RemoveAll();
    RemoveUnpacked(prompter_, unpacked_);
    ShowProgramError(prompter_, what);
  }

 private:
  // Asks for the entries file, refuses the database itself and asks for confirmation; the
  // chosen path, or "" when the paste ends here.
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
    if (prompter_.message(kConfirmText, kConfirmTitle, Icon::None, Buttons::OkCancel) ==
        Answer::Cancel) {
      return "";
    }
    return entriesPath;
  }

  bool Repack(const std::string& entriesPath, const std::string& documentPath,
              const std::string& documentName) {
    const Rewrite rewrite =
        RewriteEntries(prompter_, entriesPath, documentPath, clubsText_, clubsEncoding_);
    if (rewrite.kind == Rewrite::VersionFailure) {
      temporaries_.document.clear();  // already deleted, or reported as not deletable
      return false;
    }
    if (rewrite.kind != Rewrite::Rewritten) {
      temporaries_.RemoveAll();
      return false;
    }

    FileError err;
    if (!fileops::RemoveFile(documentPath, err)) {
      temporaries_.document.clear();
      ShowStop(prompter_, "Nie można usunąć dokumentu LEF: " + documentPath + "\r\n" +
                              DescribeWithCode(err) + "\r\n" + kUnchangedMessage);
      return false;
    }

    // From here on every failure gets the program-error message. The entries file itself is
    // only touched by the final rename, so until then it stays as it was.
    if (!fileops::WriteFile(documentPath, rewrite.text, err)) return Failure(err);

    // Always name the ".ZIP" path ourselves, so that an entries file whose name ends in ".zip"
    // is never packed over in place. The archive is on the disk when ZipFileAs returns. The
    // document goes back under the name the entries archive gave it, byte for byte: a name in
    // a Windows code page must not come back in UTF-8. The archive is written beside the file
    // that a link names, so that the rename stays on that file's file system and the link goes
    // on pointing at the entries file.
    const std::string replacedPath = fileops::ResolveLinks(entriesPath);
    const std::string archivePath = replacedPath + ".ZIP";
    temporaries_.archive = archivePath;
    if (!ZipFileAs(prompter_, documentPath, archivePath, documentName)) {
      temporaries_.RemoveAll();
      return false;
    }
    if (!fileops::ReplaceFileAtomically(archivePath, replacedPath, err)) return Failure(err);
    temporaries_.archive.clear();

    temporaries_.document.clear();
    if (!fileops::RemoveFile(documentPath, err)) {
      documentLeft_ = std::string(kDocumentLeftMessage) + "\r\n" + documentPath + " (" +
                      DescribeWithCode(err) + ")";
    }
    return true;
  }

  bool Failure(const FileError& err) {
    temporaries_.RemoveAll();
    ShowProgramError(prompter_, DescribeWithCode(err));
    return false;
  }

  Prompter& prompter_;
  const std::string& clubsText_;
  const std::string& clubsEncoding_;
  const TagBalance& clubsBalance_;
  Temporaries temporaries_;
  UnpackedFiles unpacked_;
  std::string documentLeft_;  // the warning about a document the paste could not remove
};

}  // namespace

bool PasteEntries(Prompter& prompter, FileDialogSettings& comIN, const std::string& dbFile,
                  const std::string& clubsText, const std::string& clubsEncoding,
                  const TagBalance& clubsBalance) {
  Paste paste(prompter, clubsText, clubsEncoding, clubsBalance);
  bool replaced = false;
  RunGuarded([&] { replaced = paste.Run(comIN, dbFile); },
             [&](const std::string& what) { paste.Abandon(what); });
  return replaced;
}

}  // namespace rostrel
