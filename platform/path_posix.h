// Turns Windows path text into host paths: drive letters through
// TORVEX_DRIVES, Win32 normalisation, then a component-by-component lookup
// that ignores letter case and prefers the exact spelling.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace torvex::posix {

// The directory a path's last component lives in.
struct Location {
  std::string dir;       // existing host directory
  struct stat dirStat{}; // taken while resolving
  bool dirIsRoot = false;  // a drive root or "/": searches report no "." or ".."
  std::string last;      // last component as given, normalised; empty for a root
  bool trailingSeparator = false;
  bool endedInDot = false;
};

// One entry looked up in a Location.
struct Entry {
  std::string name;  // on-disk spelling when found, else `last` as given
  bool found = false;
  struct stat st{};  // when found: followed through links, or of a dangling link itself
  struct stat self{};  // when found: the entry itself, a link not followed
  std::string path;  // dir joined with name
};

std::string joinPath(const std::string& dir, std::string_view name);

// Resolves everything but the last component. Returns 0 or the Win32 error:
// 3 when a directory is missing or is a file, 123 when a directory component
// holds a wildcard or an invalid character or the path is a network path.
uint32_t locate(std::string_view path, Location& out);

// Finds `loc.last` in `loc.dir` ignoring case. Returns 0 or a Win32 error
// for failures other than "not there".
uint32_t lookup(const Location& loc, Entry& out);

// This layer changed `dir` (its stat before the change: `before`): `removed`
// left it, `added` entered it (either may be empty). Keeps what the lookup
// caches know of it true.
void noteChange(const std::string& dir, const struct stat& before, std::string_view removed,
                std::string_view added);

// The host directory of a mapped drive, or "" when the letter is unmapped.
std::string driveDirectory(int drive);

// Maps errno to the nearest Win32 error code.
uint32_t win32Error(int err);

}  // namespace torvex::posix
