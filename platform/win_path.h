// Windows path text, taken apart and normalised the way Win32 does before it
// touches a disk: separators, "." and "..", trailing dots and spaces, drive
// letters. Portable: nothing here looks at a file system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvex::winpath {

enum class Root {
  Drive,     // "X:/..." or "X:rel": under drive X
  Absolute,  // "/...": from the host's root
  Relative,  // from the current directory
  Network,   // "//server/share/...": not served by this layer
};

struct ParsedPath {
  Root root = Root::Relative;
  int drive = 0;  // 1 = A ... 26 = Z when root is Drive
  bool driveRelative = false;  // "X:rel": from the drive's current directory
  std::vector<std::string> components;  // normalised; the last may be a pattern
  bool trailingSeparator = false;  // ended in a separator (or in a component that vanished)
  bool endedInDot = false;         // the text's last character was "."
};

// Splits and normalises `path`. "." vanishes, ".." removes the previous
// component but never climbs above the root, an inner component loses one
// trailing dot, the last loses all trailing dots and spaces.
ParsedPath parse(std::string_view path);

// Appends `rel` to `base`, with the same ".." rules, for relative paths.
void appendNormalised(std::vector<std::string>& base, const std::vector<std::string>& rel);

// A name Win32 refuses to create or open: empty, or holding a control
// character or one of : * ? < > " | (wildcards included).
bool isInvalidName(std::string_view name);

// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, in any case,
// with any extension or trailing spaces: a device, never a file.
bool isDeviceName(std::string_view name);

// Whether `path` holds a ':' other than its drive's ("X:", also after a
// "\\?\" or "\\.\" prefix): NTFS's syntax for a file's named stream
// ("a.txt:hidden"), which no listing shows.
bool namesAStream(std::string_view path);

// Whether a name found on disk can be reached by that very name through
// Win32: no trailing dot or space, no invalid character, no device name.
bool isReachableName(std::string_view name);

}  // namespace torvex::winpath
