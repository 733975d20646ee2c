#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_error.h"

namespace rostrel {

// What one unpacking wrote beside an LXF file: the files it made and the folders it created
// (folders that were there before are not listed). The action that unpacked takes them away
// again when it ends, whatever its outcome, so that every click leaves the folder as it found it.
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

  // A file, with the stored name of the member it was unpacked from.
  void AddFile(const std::filesystem::path& file, std::string storedName = "");
  void AddFolder(const std::filesystem::path& folder);
  // Takes a file off the list: its caller removes it itself.
  void Forget(const std::string& file);
  // The stored name of a listed file's member, however `file` spells the file; null when it is
  // not listed.
  const std::string* StoredNameOf(const std::string& file) const;

  // Removes the listed files, then the listed folders, deepest first, and empties the list. A
  // file that is already gone counts as removed; a folder that is not empty stays, with
  // whatever someone put there. Returns what could not be removed.
  std::vector<Leftover> RemoveAll();

 private:
  struct File {
    std::filesystem::path path;
    std::string storedName;
  };
  std::vector<File> files_;
  std::vector<std::filesystem::path> folders_;
};

}  // namespace rostrel
