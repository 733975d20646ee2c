#pragma once

#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_error.h"

namespace rostrel {

class UnpackedFiles;

// Members larger than this are refused.
inline constexpr unsigned long long kMaxMemberSize = 1ull << 30;
// A member that would grow more than this many times over its packed size, once it is over
// kBombFloor, is refused before anything is written: real LENEX documents pack at most about 23
// to 1, and a bomb would fill the disk before the program found no athletes in it.
inline constexpr unsigned long long kMaxPackingRatio = 200;
inline constexpr unsigned long long kBombFloor = 1ull << 20;

// How one unpacking treats the folder it unpacks into. No member ever replaces anything that is
// already there.
struct UnpackRules {
  std::vector<std::filesystem::path> keep;  // files no member may land on: told as the archive's
  UnpackedFiles* record = nullptr;          // receives every file and folder the unpacking makes
};

// Why an unpacking stopped.
struct UnpackFailure {
  enum Kind {
    Archive,   // the archive is unfit
    InTheWay,  // something already in the destination stands where a member must go
    Disk,      // the LXF file could not be read, or the folder could not be written
    TooLong,   // a path the unpacking would make is longer than the system allows
  };
  Kind kind = Archive;
  std::string text;  // what went wrong, in Polish
  std::string path;  // InTheWay: what stands in the way; TooLong: the destination; Disk: the file
  FileError error;   // Disk: the failure itself
};

// A member that passed every check, with the place it lands on.
struct CheckedMember {
  zip_uint64_t index;
  std::string name;
  std::string storedName;  // the name's bytes as the archive stores them, in whatever code page
  zip_uint64_t size;
  bool folder;
  std::filesystem::path target;
};

// Checks every member of an archive before anything is written: names that leave the
// destination, two members landing on one place, encryption, unknown methods, sizes, links and
// files on the way in the destination, and what `rules` protect. The first member that fails
// ends the check, with the reason in `failure`.
bool CheckMembers(zip_t* za, const std::filesystem::path& destination, const UnpackRules& rules,
                  std::vector<CheckedMember>& members, UnpackFailure& failure);

}  // namespace rostrel
