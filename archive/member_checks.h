#pragma once

#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

namespace rostrel {

class UnpackedFiles;

// Members larger than this are refused.
inline constexpr unsigned long long kMaxMemberSize = 1ull << 30;

// How one unpacking treats the folder it unpacks into.
struct UnpackRules {
  std::vector<std::filesystem::path> keep;  // files that no member may replace
  bool keepExisting = false;                // no member may replace anything that is already there
  UnpackedFiles* record = nullptr;          // receives every file and folder the unpacking makes
};

// Why an unpacking stopped.
struct UnpackFailure {
  enum Kind {
    Archive,   // the archive is unfit
    InTheWay,  // something already in the destination stands where a member must go
    Disk,      // the LXF file could not be read, or the folder could not be written
  };
  Kind kind = Archive;
  std::string text;  // what went wrong, in Polish
  std::string path;  // InTheWay: the full path of what stands in the way
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
