// File contents and handles.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/path_posix.h"
#include "platform/posix_backend.h"
#include "platform/win_path.h"

namespace torvex {

struct FileHandle {
  int fd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
};

namespace posix {
namespace {

bool isReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

size_t clampLength(size_t n) { return n > static_cast<size_t>(LONG_MAX) ? LONG_MAX : n; }

}  // namespace

void OpenFiles::add(dev_t dev, ino_t ino) {
  std::lock_guard lock(mutex_);
  ++counts_[{dev, ino}];
}

void OpenFiles::remove(dev_t dev, ino_t ino) {
  std::lock_guard lock(mutex_);
  auto it = counts_.find({dev, ino});
  if (it != counts_.end() && --it->second == 0) counts_.erase(it);
}

bool OpenFiles::contains(dev_t dev, ino_t ino) {
  std::lock_guard lock(mutex_);
  return counts_.count({dev, ino}) != 0;
}

OpenFiles& openFiles() {
  static OpenFiles files;
  return files;
}

FileHandle* PosixPlatform::openFile(const char* path, OpenMode mode) {
  if (!path) return failWith<FileHandle*>(kErrorInvalidParameter, nullptr);
  Location loc;
  if (uint32_t err = locate(path, loc)) return failWith<FileHandle*>(err, nullptr);
  if (loc.last.empty()) {
    return failWith<FileHandle*>(loc.trailingSeparator ? kErrorInvalidName : kErrorAccessDenied,
                                 nullptr);
  }
  if (loc.trailingSeparator || winpath::isInvalidName(loc.last) ||
      winpath::isDeviceName(loc.last)) {
    return failWith<FileHandle*>(kErrorInvalidName, nullptr);
  }
  Entry e;
  if (uint32_t err = lookup(loc, e)) return failWith<FileHandle*>(err, nullptr);
  if (e.found && S_ISDIR(e.st.st_mode)) return failWith<FileHandle*>(kErrorAccessDenied, nullptr);

  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::Read: flags |= O_RDONLY; break;
    case OpenMode::ReadWrite: flags |= O_RDWR; break;
    case OpenMode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case OpenMode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    case OpenMode::CreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
  }
  const bool writes = mode != OpenMode::Read;
  if (!e.found && !(flags & O_CREAT)) return failWith<FileHandle*>(kErrorFileNotFound, nullptr);
  if (e.found && mode == OpenMode::CreateNew) return failWith<FileHandle*>(kErrorFileExists, nullptr);
  // The read-only attribute binds everyone, the superuser included.
  if (e.found && writes && isReadOnly(e.st)) return failWith<FileHandle*>(kErrorAccessDenied, nullptr);

  int fd;
  do {
    fd = open(e.path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return failWith<FileHandle*>(errno == EEXIST ? kErrorFileExists : win32Error(errno), nullptr);
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    uint32_t err = win32Error(errno);
    close(fd);
    return failWith<FileHandle*>(err, nullptr);
  }
  if (!e.found) noteChange(loc, {}, e.name);
  openFiles().add(st.st_dev, st.st_ino);
  // Seen by other processes too: a file this handle reads is not deleted
  // under it (deleteFile asks), as Windows sharing keeps it.
  if (mode == OpenMode::Read) {
    struct flock reading {};
    reading.l_type = F_RDLCK;
    reading.l_whence = SEEK_SET;
    fcntl(fd, F_OFD_SETLK, &reading);
  }
  // As CreateFile reports opening an existing file where it might create.
  setLastError(e.found && (flags & O_CREAT) ? kErrorAlreadyExists : kErrorSuccess);
  return new FileHandle{fd, st.st_dev, st.st_ino};
}

long PosixPlatform::readFile(FileHandle* f, void* buf, size_t n) {
  if (!f) return failWith(kErrorInvalidHandle, -1L);
  n = clampLength(n);
  size_t total = 0;
  while (total < n) {
    ssize_t got = read(f->fd, static_cast<char*>(buf) + total, n - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return total > 0 ? static_cast<long>(total) : failWith(win32Error(errno), -1L);
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  return static_cast<long>(total);
}

long PosixPlatform::writeFile(FileHandle* f, const void* buf, size_t n) {
  if (!f) return failWith(kErrorInvalidHandle, -1L);
  n = clampLength(n);
  size_t total = 0;
  while (total < n) {
    ssize_t put = write(f->fd, static_cast<const char*>(buf) + total, n - total);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return failWith(put < 0 ? win32Error(errno) : kErrorDiskFull, -1L);
    total += static_cast<size_t>(put);
  }
  return static_cast<long>(total);
}

bool PosixPlatform::seekFile(FileHandle* f, uint64_t offset) {
  if (!f) return fail(kErrorInvalidHandle);
  if (offset > static_cast<uint64_t>(INT64_MAX)) return fail(kErrorInvalidParameter);
  if (lseek(f->fd, static_cast<off_t>(offset), SEEK_SET) < 0) return fail(win32Error(errno));
  return true;
}

int64_t PosixPlatform::fileSize(FileHandle* f) {
  if (!f) return failWith<int64_t>(kErrorInvalidHandle, -1);
  struct stat st;
  if (fstat(f->fd, &st) != 0) return failWith<int64_t>(win32Error(errno), -1);
  return st.st_size;
}

bool PosixPlatform::truncateFile(FileHandle* f, uint64_t size) {
  if (!f) return fail(kErrorInvalidHandle);
  if (size > static_cast<uint64_t>(INT64_MAX)) return fail(kErrorInvalidParameter);
  if (ftruncate(f->fd, static_cast<off_t>(size)) != 0) return fail(win32Error(errno));
  return true;
}

bool PosixPlatform::syncFile(FileHandle* f) {
  if (!f) return fail(kErrorInvalidHandle);
  if (fsync(f->fd) != 0) return fail(win32Error(errno));
  return true;
}

bool PosixPlatform::lockFile(FileHandle* f) {
  if (!f) return fail(kErrorInvalidHandle);
  // flock, not fcntl: its lock belongs to the open file, so two handles of
  // one process exclude each other as two processes do.
  while (flock(f->fd, LOCK_EX) != 0) {
    if (errno != EINTR) return fail(win32Error(errno));
  }
  return true;
}

bool PosixPlatform::closeFile(FileHandle* f) {
  if (!f) return fail(kErrorInvalidHandle);
  openFiles().remove(f->dev, f->ino);
  int rc = close(f->fd);
  int err = errno;
  delete f;
  // Linux releases the descriptor even when close reports an error.
  if (rc != 0 && err != EINTR) return fail(win32Error(err));
  return true;
}

}  // namespace posix
}  // namespace torvex
