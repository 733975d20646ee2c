#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace rostrel {

// The program's file operations, on UTF-8 path strings. Every operation that creates, renames,
// removes or reads a file passes through one counted step, so that tests can make the k-th such
// operation fail (see FailAtCall).
//
// The rule for the user's files: every file the program makes is created where no file, folder
// or link has that name, and never through a link; a name is given by a rename that replaces
// nothing, except for the one rename that replaces the entries file; and a file is removed only
// while it is still the very file this run made.
//
// On Windows, a create, rename or removal that meets a file held by another program (an
// antivirus scan, a cloud client, an indexer, a program that keeps the file open) is tried again
// for about three seconds before it fails.
namespace fileops {

std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

// Which file a name stands for at one moment: its disk, its number on that disk and when it was
// last written. The same name may later stand for another file, and a disk may give a removed
// file's number to a new one at once; the time of the last write tells those apart too.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  int64_t written = 0;  // in the system's own units; folders are told apart without it
  bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names itself, a link included (it is not followed); false when
// nothing is there.
bool IdentityOf(const std::string& path, FileIdentity& id);

// A file this run created, open for writing. Closing it does not remove it.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Creates exactly `path`. Fails with "already exists" when anything has that name, a dangling
  // link included.
  bool Create(const std::string& path, FileError& err);
  // Creates a file under a fresh name in `folder`, which ends in its separator: a short name of
  // the program's own (".rostrel-" and eight letters and digits, then ".tmp"), another one
  // while a name is taken.
  bool CreateTemporary(const std::string& folder, FileError& err);

  // Appends bytes; a failure leaves the file open, for Close to end.
  bool Write(std::string_view bytes, FileError& err);
  // Writes `bytes` over the file from its start.
  bool Rewrite(std::string_view bytes, FileError& err);
  // Flushes what was written and closes the file; a durable close also waits until the data is
  // on the disk. The identity then holds the time of the last write. Returns the first failure of
  // the writes and the close.
  bool Close(FileError& err, bool durable);

  const std::string& path() const { return path_; }
  const FileIdentity& identity() const { return identity_; }

 private:
  bool Open(const std::string& path, FileError& err);

  std::FILE* file_ = nullptr;
  std::string path_;
  FileIdentity identity_;
  FileError writeError_;
  bool writeFailed_ = false;
};

// The length of the names CreateTemporary makes.
inline constexpr size_t kTemporaryNameLength = 21;

bool ReadFile(const std::string& path, std::string& bytes, FileError& err);
// Reads a file piece by piece, handing each piece to `sink` until the file ends or `sink`
// returns false; large documents are read without holding them whole in memory.
bool ReadFileChunks(const std::string& path,
                    const std::function<bool(std::string_view chunk)>& sink, FileError& err);
// The size of a file in bytes, or 0 when it cannot be told.
unsigned long long FileSize(const std::string& path);

// Gives the file `from` the name `to`, only where nothing has that name: fails with "already
// exists" otherwise, and replaces nothing.
bool RenameNoReplace(const std::string& from, const std::string& to, FileError& err);
// Moves `from` over `to` in one atomic step, replacing `to`: `to` is at every moment either the
// old file or the new one. Both must lie on the same file system. On Linux the new file first
// takes the permission bits of the one it replaces. The new name is flushed to the disk, so that
// it survives a power cut. Only the entries file is ever replaced this way.
bool ReplaceFileAtomically(const std::string& from, const std::string& to, FileError& err);

// Removes the file `path` while it is still the file `id` names. True when it is gone: removed
// now, already gone, or another file has taken the name (which is then not ours, and stays).
bool RemoveOwnFile(const std::string& path, const FileIdentity& id, FileError& err);

// Makes the folder `path`, whose parent exists, and gives its identity.
bool MakeFolder(const std::string& path, FileIdentity& id, FileError& err);
// Removes the folder `path` while it is still the folder `id` names and empty. True when it is
// gone, or another item has taken the name; a folder that is not empty stays (false, with
// "folder not empty").
bool RemoveOwnFolder(const std::string& path, const FileIdentity& id, FileError& err);

// The file a path names in the end: a symbolic link is followed, link after link, to the file
// it points at; any other path, and on Windows every path, comes back as it was given.
std::string ResolveLinks(const std::string& path);

bool IsRegularFile(const std::string& path);
bool Exists(const std::string& path);
// True when both paths name the same existing file on disk (links, letter case, "./" ...).
bool SameFile(const std::string& a, const std::string& b);
// True when the user may not write the file: on Windows its read-only mark is set, elsewhere the
// user lacks the right to write it. A link is followed to its file.
bool IsReadOnly(const std::string& path);

// True when `path` is longer than the system lets a program use: 259 characters on Windows
// unless long paths are switched on there, 4095 bytes on Linux.
bool TooLongForTheSystem(const std::string& path);

// True when the failure was a name already taken (by a file, a folder or a link).
bool AlreadyExists(const FileError& err);

// True when the failure was a file held by another program, and trying again for the whole
// budget did not help.
bool HeldByAnotherProgram(const FileError& err);

// How often a held file is tried again, after pauses that double from the first.
inline constexpr int kRetries = 6;
// The first pause, 50 ms in the program (about three seconds in all); tests shorten it.
void SetRetryPause(std::chrono::milliseconds first);

// Fault injection for tests. Every counted operation counts; from the k-th on, `count` of them
// in a row fail with `error` instead of touching the disk.
void FailCalls(int k, int count, const FileError& error);
void FailAtCall(int k, int code);  // one call, with an errno; k <= 0 turns injection off
// Runs `act` with the path of the k-th counted operation just before that operation, as another
// program might: to put a file of the user's where the program is about to work.
void OnCall(int k, std::function<void(const std::string& path)> act);
int CallCount();  // counted operations since the last FailCalls/FailAtCall/OnCall/ResetFaults
void ResetFaults();

}  // namespace fileops
}  // namespace rostrel
