// Turns Windows path text into host paths: drive letters through
// TORVEX_DRIVES, Win32 normalisation, then a component-by-component lookup
// that ignores letter case and prefers the exact spelling.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace torvex::posix {

// One entry looked up in a Location.
struct Entry {
  std::string name;  // on-disk spelling when found, else `last` as given
  bool found = false;
  struct stat st{};  // when found: followed through links, or of a dangling link itself
  struct stat self{};  // when found: the entry itself, a link not followed
  std::string path;  // dir joined with name
};

// The directory a path's last component lives in.
struct Location {
  std::string dir;       // existing host directory
  // Taken while resolving, unless the last component was found as spelled:
  // then zero until stampBeforeChange (see also directoryStat).
  struct stat dirStat{};
  bool dirStatKnown = true;
  bool dirIsRoot = false;  // a drive root or "/": searches report no "." or ".."
  std::string last;      // last component as given, normalised; empty for a root
  bool trailingSeparator = false;
  bool endedInDot = false;
  // The last component as spelled, looked up while resolving: found (then
  // `probed` is what lookup gives) or absent, so lookup need not ask again.
  enum class Probe { None, Found, Absent } probe = Probe::None;
  Entry probed;
};

std::string joinPath(const std::string& dir, std::string_view name);

// Resolves everything but the last component. Returns 0 or the Win32 error:
// 3 when a directory is missing or is a file, 123 when a directory component
// holds a wildcard or an invalid character or the path is a network path.
uint32_t locate(std::string_view path, Location& out);

// Finds `loc.last` in `loc.dir` ignoring case. Returns 0 or a Win32 error
// for failures other than "not there".
uint32_t lookup(const Location& loc, Entry& out);

// Takes `loc.dirStat` where resolving did not and a lookup cache knows
// `loc.dir`: called before this layer changes the directory, so that
// noteChange can tell its change from anyone else's.
void stampBeforeChange(Location& loc);

// This layer changed `loc.dir` (its stat before the change: `loc.dirStat`):
// `removed` left it, `added` entered it (either may be empty). Keeps what the
// lookup caches know of it true.
void noteChange(const Location& loc, std::string_view removed, std::string_view added);

// The stat of `loc.dir`, taken now where resolving did not take it; false
// when it cannot be had.
bool directoryStat(const Location& loc, struct stat& out);

// The host directory of a mapped drive, or "" when the letter is unmapped.
std::string driveDirectory(int drive);

// Maps errno to the nearest Win32 error code.
uint32_t win32Error(int err);

}  // namespace torvex::posix
