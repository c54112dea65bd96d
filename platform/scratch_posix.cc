#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/environment_posix.h"
#include "platform/platform_posix.h"
#include "platform/posix_backend.h"

namespace torvex::posix {

namespace {

// The drive map in force without any mapping of `letter`, in the form of
// TORVEX_DRIVES, so the new mapping is the only one of that letter.
std::string otherMappings(char letter) {
  const auto env = environment();
  std::string kept;
  for (int d = 1; d <= 26; ++d) {
    const char other = static_cast<char>('A' + d - 1);
    if (env->drives[d].empty() || other == (letter & ~0x20)) continue;
    kept.append(";").append(1, other).append("=").append(env->drives[d]);
  }
  return kept;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

}  // namespace

bool PosixPlatform::createScratchDirectory(char letter, ScratchDirectory& out) {
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

bool PosixPlatform::removeScratchDirectory(const ScratchDirectory& dir) {
  return nftw(dir.hostPath.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

}  // namespace torvex::posix
