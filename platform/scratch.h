// A fresh, empty directory on this machine for a demonstration run, reachable
// through the platform layer under a drive-letter path. Kept out of Platform:
// no component code ever needs it.
#pragma once

#include <string>

namespace torvex {

struct ScratchDirectory {
  std::string hostPath;   // where it lives on this machine
  std::string drivePath;  // how the platform layer names it, e.g. "T:"
};

// Makes the directory under the system's temporary area. Where drive letters
// are simulated (POSIX) it becomes drive `letter` of this process, replacing
// any mapping of that letter; on Windows it keeps its own drive.
bool createScratchDirectory(char letter, ScratchDirectory& out);

// Removes the directory and everything below it, without following links.
bool removeScratchDirectory(const ScratchDirectory& dir);

}  // namespace torvex
