#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rostrel {

// Whose rules a member name is read by: where a backslash separates folders, and where names
// that differ only in letter case name the same file.
enum class NameRules { Posix, Windows };

#ifdef _WIN32
inline constexpr NameRules kPlatformNames = NameRules::Windows;
#else
inline constexpr NameRules kPlatformNames = NameRules::Posix;
#endif

// The parts of a member name between its separators, empty parts included. '/' always
// separates; '\' separates where `backslashSeparates`.
std::vector<std::string_view> SplitMemberName(std::string_view name, bool backslashSeparates);

// A member may only name a place inside the destination: no absolute path, no drive and no step
// up, whichever separator it uses. Windows also drops trailing dots and blanks from a name (so
// ". ." could still climb) and reads a colon as a drive or a hidden stream. On every system, a
// part named as a Windows device (CON, NUL, COM1, ...) or holding a character no Windows name
// may hold is refused too. Such names are refused, never repaired.
bool IsSafeMemberName(std::string_view name, NameRules rules = kPlatformNames);

// A member that stands for a folder: its name ends with a separator.
bool IsFolderMember(std::string_view name, NameRules rules = kPlatformNames);

// Where a member lands below the destination: the names of the folders it passes through and
// of the file itself, without empty and "." parts.
std::vector<std::string> MemberTarget(std::string_view name, NameRules rules = kPlatformNames);

// One key for every spelling of the same place: two members with the same key would land in
// one file. Letter case counts on POSIX; on Windows it does not (ASCII and the Latin letters of
// Unicode's first two Latin blocks, Polish letters among them, are folded).
std::string MemberKey(std::string_view name, NameRules rules = kPlatformNames);

}  // namespace rostrel
