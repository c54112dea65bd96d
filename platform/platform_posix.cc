// The POSIX back end's entry point, error state, drives, OS version and shell.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/environment_posix.h"
#include "platform/path_posix.h"
#include "platform/posix_backend.h"

namespace torvex {
namespace {

thread_local uint32_t tLastError = kErrorSuccess;

bool contains(const std::string& dir, const std::string& path) {
  if (dir == "/") return true;
  return path.compare(0, dir.size(), dir) == 0 &&
         (path.size() == dir.size() || path[dir.size()] == '/');
}

}  // namespace

void setLastError(uint32_t code) { tLastError = code; }

Platform& nativePlatform() {
  static posix::PosixPlatform instance;
  return instance;
}

namespace posix {

uint32_t PosixPlatform::lastError() { return tLastError; }

// Each drive's current directory is its root: this layer offers no way to
// change a drive's directory, only to switch drives.
bool PosixPlatform::setCurrentDrive(int drive) {
  std::string dir = driveDirectory(drive);
  if (dir.empty()) return fail(kErrorPathNotFound);
  if (chdir(dir.c_str()) != 0) return fail(win32Error(errno));
  std::lock_guard lock(driveMutex_);
  currentDrive_ = drive;
  return true;
}

int PosixPlatform::currentDrive() {
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return 0;
  const std::string here = cwd;
  {
    std::lock_guard lock(driveMutex_);
    std::string chosen = driveDirectory(currentDrive_);
    if (!chosen.empty() && contains(chosen, here)) return currentDrive_;
  }
  // Otherwise the drive whose directory holds the current one most closely.
  int best = 0;
  size_t bestLength = 0;
  for (int d = 1; d <= 26; ++d) {
    std::string dir = driveDirectory(d);
    if (!dir.empty() && contains(dir, here) && (best == 0 || dir.size() > bestLength)) {
      best = d;
      bestLength = dir.size();
    }
  }
  return best;
}

// A drive-letter path through the drive map; everything else as it is.
std::string PosixPlatform::hostPath(const char* path) {
  const std::string text = path;
  if (text.size() < 2 || text[1] != ':') return text;
  const char letter = static_cast<char>(text[0] & ~0x20);
  const std::string dir = letter >= 'A' && letter <= 'Z' ? driveDirectory(letter - 'A' + 1) : "";
  return dir.empty() ? text : dir + text.substr(2);
}

int PosixPlatform::runCommand(const char* commandLine) { return std::system(commandLine); }

bool PosixPlatform::osVersion(uint32_t& platformId, uint32_t& major) {
  auto env = environment();
  if (env->versionFails) return fail(kErrorInvalidParameter);
  platformId = env->platformId;
  major = env->majorVersion;
  return true;
}

}  // namespace posix
}  // namespace torvex
