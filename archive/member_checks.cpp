#include "archive/member_checks.h"

#include <cerrno>
#include <set>
#include <system_error>
#include <utility>

#include "archive/member_names.h"
#include "archive/zip_handles.h"
#include "common/file_error.h"
#include "common/fileops.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;

// What lies on the way to a member: the folders it passes through must be real folders, or not
// there yet. A link could lead the member out of the destination; a file where a folder must go
// would stop the unpacking half-way. Either is the user's, and is told as standing in the way:
// true, with `blocker` naming it.
bool BlockedOnTheWay(const fs::path& destination, const std::vector<std::string>& parts,
                     size_t directories, fs::path& blocker) {
  blocker = destination;
  for (size_t i = 0; i < directories; ++i) {
    blocker /= fileops::FsPath(parts[i]);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(blocker, ec);
    if (status.type() == fs::file_type::not_found) return false;
    // A link to a folder is no folder here, and a place that cannot be looked at stands in the
    // way as well.
    if (!fs::is_directory(status)) return true;
  }
  return false;
}

// A file member may land on nothing at all. A folder member lands on its folder already there or
// on nothing: whatever else stands there has stopped it on its way (BlockedOnTheWay).
bool LandsOnSomethingThere(const fs::path& target, bool folder) {
  std::error_code ec;
  return !folder && fs::symlink_status(target, ec).type() != fs::file_type::not_found;
}

// True when `target` is one of the files that unpacking must leave alone.
bool WouldReplace(const fs::path& target, const std::vector<fs::path>& keep) {
  for (const fs::path& kept : keep) {
    std::error_code ec;
    if (fs::equivalent(target, kept, ec)) return true;
  }
  return false;
}

// What the archive itself says of a member: its encryption, method and size. "" when it is fit
// to be unpacked.
std::string StoredProblem(const zip_stat_t& st, const std::string& name) {
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
    return "Zaszyfrowany element archiwum: " + name;
  if ((st.valid & ZIP_STAT_COMP_METHOD) &&
      !zip_compression_method_supported(static_cast<zip_int32_t>(st.comp_method), 0)) {
    return "Nieobsługiwana metoda kompresji (" + std::to_string(st.comp_method) +
           ") elementu archiwum: " + name;
  }
  if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxMemberSize)
    return "Element archiwum jest za duży (ponad 1 GiB): " + name;
  if (st.size > kBombFloor &&
      (!(st.valid & ZIP_STAT_COMP_SIZE) || st.size / kMaxPackingRatio > st.comp_size)) {
    return "Element archiwum rozpakowałby się do rozmiaru ponad " +
           std::to_string(kMaxPackingRatio) + " razy większego niż w archiwum: " + name;
    // (A member packed exactly 200 to 1, the boundary itself, is no file anyone meets.)
  }
  return "";
}

bool InTheWay(UnpackFailure& failure, const fs::path& path) {
  const std::string where = fileops::Utf8(path);
  failure = {UnpackFailure::InTheWay, Describe(PosixError(EEXIST)) + ": " + where, where, {}};
  return false;
}

// Where the member would land and what lies there and on the way. True when it may be written.
bool CheckPlace(const fs::path& destination, const UnpackRules& rules,
                const std::vector<std::string>& parts, const CheckedMember& member,
                UnpackFailure& failure) {
  const size_t directories = member.folder ? parts.size() : parts.size() - 1;
  fs::path blocker;
  if (BlockedOnTheWay(destination, parts, directories, blocker)) return InTheWay(failure, blocker);
  if (!member.folder && WouldReplace(member.target, rules.keep))
    return RefuseArchive(failure, "Element archiwum zastąpiłby rozpakowywany plik: " + member.name);
  if (LandsOnSomethingThere(member.target, member.folder)) return InTheWay(failure, member.target);
  // The longest path the unpacking makes: the member's own, or the temporary file beside it.
  const std::string target = fileops::Utf8(member.target);
  const std::string temporary = fileops::Utf8(member.target.parent_path() / "") +
                                std::string(fileops::kTemporaryNameLength, 'x');
  if (fileops::TooLongForTheSystem(target) || fileops::TooLongForTheSystem(temporary)) {
    const std::string folder = fileops::Utf8(destination);
    failure = {UnpackFailure::TooLong, Describe(PosixError(ENAMETOOLONG)) + ": " + target, folder,
               PosixError(ENAMETOOLONG)};
    return false;
  }
  return true;
}

bool CheckMember(zip_t* za, const zip_stat_t& st, const fs::path& destination,
                 const UnpackRules& rules, std::set<std::string>& seen, CheckedMember& member,
                 UnpackFailure& failure) {
  member.name = st.name ? st.name : "";
  // libzip gives the name in UTF-8, decoded from CP437 where the archive does not mark it as
  // UTF-8; the raw bytes are kept to pack the member again under exactly the name it had.
  const char* raw = zip_get_name(za, member.index, ZIP_FL_ENC_RAW);
  member.storedName = raw ? raw : "";
  member.folder = IsFolderMember(member.name);
  member.size = st.size;
  const std::vector<std::string> parts = MemberTarget(member.name);
  if (!IsSafeMemberName(member.name) || (parts.empty() && !member.folder))
    return RefuseArchive(failure, "Niedozwolona nazwa w archiwum: " + member.name);
  // Two members that land on the same place would silently replace one another.
  if (!seen.insert(MemberKey(member.name)).second)
    return RefuseArchive(failure, "Powtórzona nazwa w archiwum: " + member.name);
  if (std::string problem = StoredProblem(st, member.name); !problem.empty())
    return RefuseArchive(failure, std::move(problem));
  member.target = destination;
  for (const std::string& part : parts) member.target /= fileops::FsPath(part);
  return CheckPlace(destination, rules, parts, member, failure);
}

}  // namespace

bool CheckMembers(zip_t* za, const fs::path& destination, const UnpackRules& rules,
                  std::vector<CheckedMember>& members, UnpackFailure& failure) {
  const zip_int64_t count = zip_get_num_entries(za, 0);
  std::set<std::string> seen;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0)
      return RefuseArchive(failure, ZipErrorText(za));
    CheckedMember member;
    member.index = static_cast<zip_uint64_t>(i);
    if (!CheckMember(za, st, destination, rules, seen, member, failure)) return false;
    members.push_back(std::move(member));
  }
  return true;
}

}  // namespace rostrel
