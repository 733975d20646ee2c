#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "common/fileops.h"

// The program's archive routines, as its design names them: packing, unpacking and the empty
// archive, each with its own failure message.
namespace rostrel {

class Prompter;
class UnpackedFiles;
struct UnpackFailure;

// Packs a file ("ZIPFILE") or a directory's contents ("ZIPFOLDER") into a new ZIP archive, or
// unpacks an archive into an existing directory ("UNZIP"); the action's letter case does not
// matter. The archive path (destination when packing, source when unpacking) gets ".ZIP"
// appended unless it already ends in ".zip" in any letter case. A new archive is made only where
// nothing has its name, and unpacking replaces nothing that is already in the directory. Returns
// true on success, after a pause; on failure shows the description with the warning icon under
// the title "error".
// An action that matches none of the three does nothing and returns true after the pause.
bool ShellZip(Prompter& prompter, const std::string& action, const std::string& source,
              const std::string& destination);

// ShellZip's "UNZIP" for an LXF file unpacked beside itself, read where it lies: no suffix is
// added. Before writing anything it refuses an archive holding a member that would replace the
// LXF file or anything else already in the destination: the user's files are never replaced.
// Every file and folder it makes, also on the way to a failure, is noted in `unpacked`. A fault of
// the archive is shown as ShellZip shows its own; something of the user's in the way and a disk
// that cannot be read or written are no fault of the archive, and the caller tells the user
// what they are.
bool UnzipBeside(Prompter& prompter, const std::string& lxf, const std::string& destination,
                 UnpackedFiles& unpacked, UnpackFailure& failure);

// ShellZip's "ZIPFILE" for the paste: packs `text` as the member `name`, its bytes as they are,
// in UTF-8 or in a code page (see PackFile), into a new archive under a fresh name of the
// program's own in `folder` (see fileops::NewFile::CreateTemporary), flushed to the disk when
// this returns true. `archive` names the file made, also after a failure that came after it:
// removing it is the caller's. The messages are ShellZip's and CreateEmptyZip's, naming the
// folder.
bool ZipTextAs(Prompter& prompter, std::string_view text, const std::string& name,
               const std::string& folder, fileops::NewFile& archive);

// Writes the 22-byte empty ZIP archive to `path`, where nothing may have that name yet: a file,
// folder or link of that name is never replaced or written through. On failure shows the
// description and the path with the warning icon under the title "Error" and returns false.
bool CreateEmptyZip(Prompter& prompter, const std::string& path);

// The pause ShellZip takes after every successful call. The program never changes it; tests and
// benchmarks shorten it.
void SetShellZipPause(std::chrono::milliseconds pause);
std::chrono::milliseconds ShellZipPause();
// How many times ShellZip has taken its pause since the program started.
int ShellZipPausesTaken();

}  // namespace rostrel
