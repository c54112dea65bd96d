#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "platform/platform_posix.h"
#include "platform/scratch.h"

namespace torvex {

namespace {

// TORVEX_DRIVES without any mapping of `letter`, so the new one is the only.
std::string otherMappings(char letter) {
  const char* drives = getenv("TORVEX_DRIVES");
  std::string kept;
  std::string_view rest = drives ? drives : "";
  while (!rest.empty()) {
    size_t end = rest.find(';');
    std::string_view entry = rest.substr(0, end);
    bool same = entry.size() >= 2 && entry[1] == '=' &&
                (entry[0] | 0x20) == (letter | 0x20);
    if (!entry.empty() && !same) kept.append(";").append(entry);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return kept;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

}  // namespace

bool createScratchDirectory(char letter, ScratchDirectory& out) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/torvex-demo-XXXXXX";
  // The mapping list uses ";" and "=" as its own separators.
  if (pattern.find_first_of(";=") != std::string::npos) return false;
  if (mkdtemp(pattern.data()) == nullptr) return false;
  // A drive maps an absolute directory; TMPDIR may be relative.
  if (pattern.front() != '/') {
    char* absolute = realpath(pattern.c_str(), nullptr);
    if (absolute == nullptr || std::string_view(absolute).find_first_of(";=") != std::string_view::npos) {
      free(absolute);
      rmdir(pattern.c_str());
      return false;
    }
    pattern = absolute;
    free(absolute);
  }
  std::string drives = std::string(1, letter) + "=" + pattern + otherMappings(letter);
  if (setenv("TORVEX_DRIVES", drives.c_str(), 1) != 0) {
    rmdir(pattern.c_str());
    return false;
  }
  reloadEnvironment();
  out.hostPath = pattern;
  out.drivePath = std::string(1, letter) + ":";
  return true;
}

bool removeScratchDirectory(const ScratchDirectory& dir) {
  return nftw(dir.hostPath.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

}  // namespace torvex
