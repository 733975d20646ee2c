#include "entries/paste_action.h"

#include <exception>
#include <string>

#include "archive/modlxf.h"
#include "archive/paths.h"
#include "archive/unpack.h"
#include "common/fileops.h"
#include "entries/rewrite_entries.h"

namespace rostrel {
namespace {

std::string Describe(const FileError& err) { return std::to_string(err.code) + " " + err.text; }

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
  Paste(Prompter& prompter, const std::string& clubsText, const std::string& clubsEncoding)
      : prompter_(prompter), clubsText_(clubsText), clubsEncoding_(clubsEncoding) {}

  bool Run(FileDialogSettings& comIN, const std::string& dbFile) {
    comIN.defaultExt = ".lxf";
    comIN.filter = "LEF (*.lxf)|*.lxf";
    comIN.fileName.clear();
    comIN.filterIndex = 1;
    comIN.flags = kDialogExplorer | kDialogFileMustExist;
    prompter_.showOpen(comIN);
    const std::string entriesPath = comIN.fileName;
    if (entriesPath.empty()) return false;

    if (entriesPath == dbFile || fileops::SameFile(entriesPath, dbFile)) {
      ShowStop(prompter_, kSameFilesMessage);
      return false;
    }
    if (prompter_.message(kConfirmText, kConfirmTitle, Icon::None, Buttons::OkCancel) ==
        Answer::Cancel) {
      return false;
    }

    // A LEF document that appears by unpacking into a folder that held none is ours to clean up
    // when the unpacking breaks off after writing it (the archive copy could not be deleted).
    const std::string dir = getDir(entriesPath);
    const bool folderHadNoDocument = getLefFile(dir) == kNoLefFile;
    const UnpackResult unpacked = UnpackLxf(prompter_, entriesPath);
    if (unpacked.kind == UnpackResult::FileFailed && folderHadNoDocument) {
      const std::string document = getLefFile(dir);
      if (document != kNoLefFile && document != kSeveralLefFiles) {
        temporaries_.document = document;
        temporaries_.RemoveAll();
      }
    }
    if (unpacked.kind != UnpackResult::DocumentFound) return false;
    return Repack(entriesPath, unpacked.documentPath);
  }

  // Something unforeseen (memory ran out): our temporary files go, the entries file stays as
  // it was unless the rename has already replaced it.
  void Abandon(const char* what) noexcept {
    try {
      temporaries_.RemoveAll();
      prompter_.message(std::string(kProgramErrorMessage) + "\r\n" + what, kAppTitle, Icon::None,
                        Buttons::Ok);
    } catch (...) {
    }
  }

 private:
  bool Repack(const std::string& entriesPath, const std::string& documentPath) {
    temporaries_.document = documentPath;
    const Rewrite rewrite = RewriteEntries(prompter_, documentPath, clubsText_, clubsEncoding_);
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
                              Describe(err) +
                              "\r\nOperacja anulowana, plik zgłoszenia nie został zmieniony.");
      return false;
    }

    // From here on every failure gets the program-error message. The entries file itself is
    // only touched by the final rename, so until then it stays as it was.
    if (!fileops::WriteFile(documentPath, rewrite.text, err)) return Failure(err);

    // Always name the ".ZIP" path ourselves, so that an entries file whose name ends in ".zip"
    // is never packed over in place. The archive is on the disk when ShellZip returns.
    const std::string archivePath = entriesPath + ".ZIP";
    temporaries_.archive = archivePath;
    if (!ShellZip(prompter_, "ZIPFILE", documentPath, archivePath)) {
      temporaries_.RemoveAll();
      return false;
    }
    if (!fileops::ReplaceFileAtomically(archivePath, entriesPath, err)) return Failure(err);
    temporaries_.archive.clear();

    temporaries_.document.clear();
    if (!fileops::RemoveFile(documentPath, err)) {
      Failure(err);
      return true;  // the entries file has been replaced all the same
    }
    prompter_.message(kPasteDoneMessage + entriesPath, kAppTitle, Icon::Information, Buttons::Ok);
    return true;
  }

  bool Failure(const FileError& err) {
    temporaries_.RemoveAll();
    prompter_.message(std::string(kProgramErrorMessage) + "\r\n" + Describe(err), kAppTitle,
                      Icon::None, Buttons::Ok);
    return false;
  }

  Prompter& prompter_;
  const std::string& clubsText_;
  const std::string& clubsEncoding_;
  Temporaries temporaries_;
};

}  // namespace

bool PasteEntries(Prompter& prompter, FileDialogSettings& comIN, const std::string& dbFile,
                  const std::string& clubsText, const std::string& clubsEncoding) {
  Paste paste(prompter, clubsText, clubsEncoding);
  try {
    return paste.Run(comIN, dbFile);
  } catch (const std::exception& e) {
    paste.Abandon(e.what());
  } catch (...) {
    paste.Abandon("nieznany błąd");
  }
  return false;
}

}  // namespace rostrel
