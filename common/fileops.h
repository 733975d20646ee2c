#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace rostrel {

// The program's file operations, on UTF-8 path strings. Every operation that changes or reads a
// file passes through Fallible(), so that tests can make the k-th such operation fail.
namespace fileops {

std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

bool ReadFile(const std::string& path, std::string& bytes, FileError& err);
// Reads a file piece by piece, handing each piece to `sink` until the file ends or `sink`
// returns false; large documents are read without holding them whole in memory.
bool ReadFileChunks(const std::string& path,
                    const std::function<bool(std::string_view chunk)>& sink, FileError& err);
// The size of a file in bytes, or 0 when it cannot be told.
unsigned long long FileSize(const std::string& path);
// Creates or truncates the file, writes the bytes and flushes them to the disk.
bool WriteFile(const std::string& path, std::string_view bytes, FileError& err);
bool RemoveFile(const std::string& path, FileError& err);
// Moves `from` over `to` in one atomic step, replacing `to`: `to` is at every moment either
// the old file or the new one. Both must lie on the same file system. On Linux the new file
// first takes the permission bits of the one it replaces. A durable replacement
// also flushes the folder, so that the new name survives a power cut; unpacking, which writes
// many files that nobody needs to survive one, skips that.
bool ReplaceFileAtomically(const std::string& from, const std::string& to, FileError& err,
                           bool durable = true);
// Flushes a file that someone else wrote to the disk, so that a rename after it is durable.
bool SyncFile(const std::string& path, FileError& err);

// The file a path names in the end: a symbolic link is followed, link after link, to the file
// it points at; any other path, and on Windows every path, comes back as it was given.
std::string ResolveLinks(const std::string& path);

bool IsRegularFile(const std::string& path);
bool Exists(const std::string& path);
// True when both paths name the same existing file on disk (links, letter case, "./" ...).
bool SameFile(const std::string& a, const std::string& b);

// Fault injection for tests. Each call of a fallible operation counts; when the count reaches
// the chosen number, that call fails with the errno `code` instead of touching the disk.
bool Fallible(FileError& err);
void FailAtCall(int k, int code);  // k counts from 1; k <= 0 turns injection off
int CallCount();                   // fallible calls since the last FailAtCall/ResetFaults
void ResetFaults();

}  // namespace fileops
}  // namespace rostrel
