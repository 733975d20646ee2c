#pragma once

#include <string>

namespace rostrel {

class Prompter;

inline constexpr const char* kInvalidArchiveMessage =
    "Uwaga, nieprawidłowe archiwum LXF, skontaktuj się z autorem programu";
inline constexpr const char* kLefFilesPresentMessage =
    "Uwaga, w katalogu z którym wybrano plik LXF istnieją pliki LEF. Usuń pliki LEF z wskazanego "
    "katalogu !!";

struct UnpackResult {
  enum Kind {
    DocumentFound,     // documentPath names the unpacked LEF document
    ArchiveFailed,     // the archive could not be unpacked; the user has been told
    NoSingleDocument,  // no *.lef or several after unpacking; the user has not been told
    FileFailed,        // copying or deleting the archive copy failed; the user has been told
  };
  Kind kind = NoSingleDocument;
  std::string documentPath;
};

// Refuses, after telling the user, when the LXF file's directory already holds a *.lef file.
bool DirectoryPreCheck(Prompter& prompter, const std::string& lxfPath);

// Copies the LXF file to lxfPath + ".zip", unpacks that copy into the LXF file's own directory,
// deletes the copy and looks for the single LEF document there. The LXF file is never changed.
UnpackResult UnpackLxf(Prompter& prompter, const std::string& lxfPath);

}  // namespace rostrel
