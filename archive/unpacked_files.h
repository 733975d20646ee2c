#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_error.h"
#include "common/fileops.h"

namespace rostrel {

// What one unpacking made beside an LXF file: the files it made and the folders it created
// (folders that were there before are not listed), each with its identity. The action that
// unpacked takes them away again when it ends, whatever its outcome, so that every click leaves
// the folder as it found it. Only what is still the very file or folder the unpacking made is
// removed: whatever another program put under one of these names in the meantime stays.
class UnpackedFiles {
 public:
  struct Leftover {
    std::string path;
    FileError error;
  };

  UnpackedFiles() = default;
  // Whatever is still listed goes, quietly: the last resort when an action ends unexpectedly.
  ~UnpackedFiles();
  UnpackedFiles(const UnpackedFiles&) = delete;
  UnpackedFiles& operator=(const UnpackedFiles&) = delete;

  // A file, with its identity and the stored name of the member it was unpacked from.
  void AddFile(const std::filesystem::path& file, const fileops::FileIdentity& id,
               std::string storedName = "");
  void AddFolder(const std::filesystem::path& folder, const fileops::FileIdentity& id);
  // The stored name of a listed file's member, however `file` spells the file; null when it is
  // not listed.
  const std::string* StoredNameOf(const std::string& file) const;

  // Removes one listed file now and takes it off the list. True when it is gone (see
  // fileops::RemoveOwnFile); otherwise `err` says why it stayed. A file not listed is left alone.
  bool Remove(const std::string& file, FileError& err);
  // Removes the listed files, then the listed folders, deepest first, and empties the list. A
  // file that is already gone counts as removed; a folder that is not empty stays, with
  // whatever someone put there. Returns what could not be removed.
  std::vector<Leftover> RemoveAll();

 private:
  struct Item {
    std::filesystem::path path;
    fileops::FileIdentity id;
    std::string storedName;
  };
  std::vector<Item> files_;
  std::vector<Item> folders_;
};

}  // namespace rostrel
