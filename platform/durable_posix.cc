// A barrier over a batch's own files and directories.
//
// A whole-volume flush (syncfs) would be one call, but it writes back every
// program's dirty data on the volume, so on a machine where others write a
// lot each barrier waits for all of theirs. Here only our paths are
// flushed: every file's writeback is started first, so the device takes
// them in one go, then the files are fsynced side by side, so the file
// system's journal commits and the disk flushes its cache once for many
// files rather than once for each. The directories follow one by one, in
// the order the caller needs.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/path_posix.h"
#include "platform/posix_backend.h"

namespace torvex::posix {
namespace {

// Beyond a few, more threads only add scheduling: the flushes they wait for
// are shared.
constexpr size_t kSyncThreads = 16;

struct Target {
  int fd = -1;  // -1: nothing left to keep
  int err = 0;  // errno of a failed fsync
};

// Opens what `path` names for its flush; fd stays -1 when it is gone.
// Returns 0 or the Win32 error.
uint32_t openTarget(const std::string& path, int flags, Target& t) {
  Location loc;
  Entry e;
  uint32_t err = locate(path, loc);
  if (err == 0) err = lookup(loc, e);
  if (err == kErrorFileNotFound || err == kErrorPathNotFound || (err == 0 && !e.found)) return 0;
  if (err) return err;
  t.fd = open(e.path.c_str(), flags | O_RDONLY | O_CLOEXEC);
  if (t.fd >= 0 || errno == ENOENT) return 0;
  return errno == ENOTDIR ? static_cast<uint32_t>(kErrorDirectory) : win32Error(errno);
}

void syncTogether(std::vector<Target>& files) {
#ifdef __linux__
  for (const Target& t : files) {
    if (t.fd >= 0) sync_file_range(t.fd, 0, 0, SYNC_FILE_RANGE_WRITE);  // a hint: fsync waits
  }
#endif
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k; (k = next++) < files.size();) {
      if (files[k].fd >= 0 && fsync(files[k].fd) != 0) files[k].err = errno;
    }
  };
  std::vector<std::thread> helpers;
  const size_t wanted = std::min(files.size(), kSyncThreads);
  try {
    while (helpers.size() + 1 < wanted) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads now: the ones made, and this one, do the rest.
  }
  work();
  for (std::thread& t : helpers) t.join();
}

}  // namespace

bool PosixPlatform::makeDurable(const std::vector<std::string>& files,
                                const std::vector<std::string>& directories) {
  uint32_t failure = 0;
  auto note = [&](uint32_t err) {
    if (failure == 0) failure = err;
  };
  std::vector<Target> opened(files.size());
  for (size_t k = 0; k < files.size(); ++k) note(openTarget(files[k], 0, opened[k]));
  syncTogether(opened);
  for (Target& t : opened) {
    if (t.err) note(win32Error(t.err));
    if (t.fd >= 0) close(t.fd);
  }
  for (const std::string& dir : directories) {
    Target t;
    note(openTarget(dir, O_DIRECTORY, t));
    if (t.fd < 0) continue;
    if (fsync(t.fd) != 0) note(win32Error(errno));
    close(t.fd);
  }
  return failure == 0 || fail(failure);
}

}  // namespace torvex::posix
