// Operations on names: attributes, directories, delete, move, replace.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/dir_cache_posix.h"
#include "platform/path_posix.h"
#include "platform/posix_backend.h"
#include "platform/win_path.h"

namespace torvex::posix {
namespace {

bool isReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

bool heldOpen(const struct stat& st) { return openFiles().contains(st.st_dev, st.st_ino); }

// Whether a handle of another process reads the file (see openFile).
bool heldElsewhere(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct flock writing {};
  writing.l_type = F_WRLCK;
  writing.l_whence = SEEK_SET;
  const bool held = fcntl(fd, F_OFD_GETLK, &writing) == 0 && writing.l_type != F_UNLCK;
  close(fd);
  return held;
}

bool sameDirectory(const Location& a, const Location& b) {
  struct stat sa, sb;
  return directoryStat(a, sa) && directoryStat(b, sb) && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Resolves an existing entry named by `path`.
uint32_t existing(const char* path, Location& loc, Entry& e) {
  if (!path) return kErrorInvalidParameter;
  if (uint32_t err = locate(path, loc)) return err;
  if (loc.last.empty()) return kErrorAccessDenied;  // a root
  if (winpath::isInvalidName(loc.last)) return kErrorInvalidName;
  if (winpath::isDeviceName(loc.last)) return kErrorAccessDenied;
  if (uint32_t err = lookup(loc, e)) return err;
  return e.found ? kErrorSuccess : kErrorFileNotFound;
}

// Resolves an entry that must exist, following links.
uint32_t resolved(const char* path, Entry& e) {
  if (!path) return kErrorInvalidParameter;
  Location loc;
  if (uint32_t err = locate(path, loc)) return err;
  if (uint32_t err = lookup(loc, e)) return err;
  return e.found ? 0u : static_cast<uint32_t>(kErrorFileNotFound);
}

// Resolves the destination of a move: its directory must exist and its name
// must be one Win32 can create.
uint32_t destination(const char* path, Location& loc, Entry& e) {
  if (!path) return kErrorInvalidParameter;
  if (uint32_t err = locate(path, loc)) return err;
  if (loc.last.empty()) return kErrorAlreadyExists;
  if (winpath::isInvalidName(loc.last) || winpath::isDeviceName(loc.last)) {
    return kErrorInvalidName;
  }
  return lookup(loc, e);
}

// Both ends of a move or a replacement: the source must exist and not be held
// open, and the destination's directory must exist.
struct Move {
  Location src, dst;
  Entry s, d;
};

uint32_t locateMove(const char* from, const char* to, Move& m) {
  if (uint32_t err = existing(from, m.src, m.s)) return err;
  if (heldOpen(m.s.self)) return kErrorSharingViolation;
  if (uint32_t err = destination(to, m.dst, m.d)) return err;
  // Within one directory the destination's lookup has just stamped it.
  if (!m.src.dirStatKnown && m.dst.dirStatKnown && m.src.dir == m.dst.dir) {
    m.src.dirStat = m.dst.dirStat;
    m.src.dirStatKnown = true;
  }
  stampBeforeChange(m.src);
  stampBeforeChange(m.dst);
  return 0;
}

void noteMove(const Location& from, const std::string& fromName, const Location& to,
              const std::string& toName) {
  if (from.dir == to.dir || sameDirectory(from, to)) {
    noteChange(from, fromName, toName);
  } else {
    noteChange(from, fromName, {});
    noteChange(to, {}, toName);
  }
}

// Copies a regular file to `target` (which must not exist), durably, keeping
// its permissions and times. Removes the partial copy on failure.
uint32_t copyFile(const std::string& source, const std::string& target, int extraFlags) {
  int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return win32Error(errno);
  struct stat st;
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(in);
    return kErrorAccessDenied;
  }
  int out = open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | extraFlags, st.st_mode & 07777);
  if (out < 0) {
    uint32_t err = errno == EEXIST ? kErrorAlreadyExists : win32Error(errno);
    close(in);
    return err;
  }
  uint32_t err = 0;
  char buf[65536];
  for (;;) {
    ssize_t got = read(in, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      err = win32Error(errno);
      break;
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got && err == 0;) {
      ssize_t put = write(out, buf + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) err = put < 0 ? win32Error(errno) : kErrorDiskFull;
      else done += put;
    }
    if (err) break;
  }
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (err == 0 && (fchmod(out, st.st_mode & 07777) != 0 || futimens(out, times) != 0 ||
                   fsync(out) != 0)) {
    err = win32Error(errno);
  }
  if (close(out) != 0 && err == 0) err = win32Error(errno);
  close(in);
  if (err) unlink(target.c_str());
  return err;
}

bool syncHostDirectory(const std::string& dir) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

uint32_t attributesOf(const struct stat& st) {
  uint32_t a = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (isReadOnly(st)) a |= kAttrReadOnly;
  return a;
}

}  // namespace

uint32_t fileAttributesOf(const struct stat& st) { return attributesOf(st); }

uint32_t PosixPlatform::fileAttributes(const char* path) {
  if (!path) return failWith(kErrorInvalidParameter, kInvalidAttributes);
  Location loc;
  if (uint32_t err = locate(path, loc)) return failWith(err, kInvalidAttributes);
  if (!loc.last.empty() && winpath::isInvalidName(loc.last)) {
    return failWith(kErrorInvalidName, kInvalidAttributes);
  }
  if (!loc.last.empty() && winpath::isDeviceName(loc.last)) {
    return failWith(kErrorFileNotFound, kInvalidAttributes);  // a device, never a file
  }
  Entry e;
  if (uint32_t err = lookup(loc, e)) return failWith(err, kInvalidAttributes);
  if (!e.found) return failWith(kErrorFileNotFound, kInvalidAttributes);
  if (loc.trailingSeparator && !S_ISDIR(e.st.st_mode)) {
    return failWith(kErrorInvalidName, kInvalidAttributes);
  }
  setLastError(kErrorSuccess);
  return attributesOf(e.st);
}

OpenToAll PosixPlatform::writableByEveryone(const char* path) {
  if (!path) return failWith(kErrorInvalidParameter, OpenToAll::Unknown);
  Location loc;
  if (uint32_t err = locate(path, loc)) return failWith(err, OpenToAll::Unknown);
  Entry e;
  if (uint32_t err = lookup(loc, e)) return failWith(err, OpenToAll::Unknown);
  if (!e.found) return failWith(kErrorPathNotFound, OpenToAll::Unknown);
  setLastError(kErrorSuccess);
  return (e.st.st_mode & S_IWOTH) != 0 ? OpenToAll::Yes : OpenToAll::No;
}

bool PosixPlatform::createDirectory(const char* path) {
  if (!path) return fail(kErrorInvalidParameter);
  Location loc;
  if (uint32_t err = locate(path, loc)) return fail(err);
  if (loc.last.empty()) return fail(kErrorAccessDenied);
  if (winpath::isInvalidName(loc.last) || winpath::isDeviceName(loc.last)) {
    return fail(kErrorInvalidName);
  }
  Entry e;
  if (uint32_t err = lookup(loc, e)) return fail(err);
  if (e.found) return fail(kErrorAlreadyExists);
  if (mkdir(e.path.c_str(), 0777) != 0) {
    return fail(errno == EEXIST ? kErrorAlreadyExists : win32Error(errno));
  }
  noteChange(loc, {}, e.name);
  return true;
}

bool PosixPlatform::removeDirectory(const char* path) {
  Location loc;
  Entry e;
  if (uint32_t err = existing(path, loc, e)) return fail(err);
  const struct stat& self = e.self;
  if (!S_ISDIR(self.st_mode)) return fail(kErrorDirectory);
  stampBeforeChange(loc);
  if (rmdir(e.path.c_str()) != 0) {
    return fail(errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty : win32Error(errno));
  }
  noteChange(loc, e.name, {});
  dirCache().forget(e.path);
  return true;
}

bool PosixPlatform::deleteFile(const char* path) {
  Location loc;
  Entry e;
  if (uint32_t err = existing(path, loc, e)) return fail(err);
  const struct stat& self = e.self;
  if (S_ISDIR(self.st_mode)) return fail(kErrorAccessDenied);
  if (loc.trailingSeparator) return fail(kErrorInvalidName);
  if (isReadOnly(self)) return fail(kErrorAccessDenied);
  if (heldOpen(self) || heldElsewhere(e.path)) return fail(kErrorSharingViolation);
  stampBeforeChange(loc);
  if (unlink(e.path.c_str()) != 0) return fail(win32Error(errno));
  noteChange(loc, e.name, {});
  return true;
}

bool PosixPlatform::moveFile(const char* from, const char* to) {
  Move m;
  if (uint32_t err = locateMove(from, to, m)) return fail(err);
  auto& [src, dst, s, d] = m;
  const struct stat& self = s.self;
  if (d.found) {
    const bool sameEntry = sameDirectory(src, dst) && d.name == s.name;
    if (!sameEntry) return fail(kErrorAlreadyExists);
    if (dst.last == s.name) return true;  // onto itself: nothing to do
  }
  // The name as the caller wrote it; a case-only change renames the entry.
  const std::string target = joinPath(dst.dir, dst.last);
  if (renameat2(AT_FDCWD, s.path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    noteMove(src, s.name, dst, dst.last);
    return true;
  }
  if (errno == EEXIST) return fail(kErrorAlreadyExists);
  if (errno != EXDEV) return fail(win32Error(errno));
  // Another file system: copy, then delete, as MoveFile does for files.
  if (!S_ISREG(self.st_mode)) return fail(kErrorNotSameDevice);
  if (isReadOnly(self)) return fail(kErrorAccessDenied);
  if (uint32_t err = copyFile(s.path, target, O_EXCL)) return fail(err);
  if (unlink(s.path.c_str()) != 0) {
    uint32_t err = win32Error(errno);
    unlink(target.c_str());
    return fail(err);
  }
  noteMove(src, s.name, dst, dst.last);
  return true;
}

bool PosixPlatform::replaceFile(const char* from, const char* to) {
  Move m;
  if (uint32_t err = locateMove(from, to, m)) return fail(err);
  auto& [src, dst, s, d] = m;
  const struct stat& self = s.self;
  if (d.found) {
    if (sameDirectory(src, dst) && d.name == s.name) return true;
    if (S_ISDIR(d.self.st_mode) || isReadOnly(d.self)) return fail(kErrorAccessDenied);
    if (heldOpen(d.self)) return fail(kErrorSharingViolation);
  }
  // An existing target keeps its spelling, so no second name is left behind.
  const std::string target = d.found ? d.path : joinPath(dst.dir, dst.last);
  const std::string& targetName = d.found ? d.name : dst.last;
  if (rename(s.path.c_str(), target.c_str()) == 0) {
    noteMove(src, s.name, dst, targetName);
    return true;
  }
  if (errno != EXDEV) return fail(win32Error(errno));
  if (!S_ISREG(self.st_mode)) return fail(kErrorNotSameDevice);
  // Another file system: copy beside the target, then rename over it.
  std::string temp = joinPath(dst.dir, ".torvex-replace-XXXXXX");
  int fd = mkstemp(temp.data());
  if (fd < 0) return fail(win32Error(errno));
  close(fd);
  unlink(temp.c_str());
  if (uint32_t err = copyFile(s.path, temp, O_EXCL)) return fail(err);
  if (rename(temp.c_str(), target.c_str()) != 0) {
    uint32_t err = win32Error(errno);
    unlink(temp.c_str());
    return fail(err);
  }
  unlink(s.path.c_str());
  noteMove(src, s.name, dst, targetName);
  return true;
}

bool PosixPlatform::linkFile(const char* from, const char* to) {
  Location src, dst;
  Entry s, d;
  if (uint32_t err = existing(from, src, s)) return fail(err);
  if (!S_ISREG(s.self.st_mode)) return fail(kErrorAccessDenied);
  if (uint32_t err = destination(to, dst, d)) return fail(err);
  if (d.found) return fail(kErrorAlreadyExists);
  if (link(s.path.c_str(), joinPath(dst.dir, dst.last).c_str()) != 0) {
    return fail(errno == EXDEV ? kErrorNotSameDevice : win32Error(errno));
  }
  noteChange(dst, {}, dst.last);
  return true;
}

bool PosixPlatform::syncDirectory(const char* path) {
  Entry e;
  if (uint32_t err = resolved(path, e)) return fail(err);
  if (!S_ISDIR(e.st.st_mode)) return fail(kErrorDirectory);
  if (!syncHostDirectory(e.path)) return fail(win32Error(errno));
  return true;
}

bool PosixPlatform::readOnlyVolume(const char* path) {
  Entry e;
  if (resolved(path, e) != 0) return false;
  struct statvfs vfs;
  return statvfs(e.path.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY);
}

bool PosixPlatform::fileIdentity(const char* path, FileIdentity& id) {
  Entry e;
  if (uint32_t err = resolved(path, e)) return fail(err);
  // A link that leads to no file has no file's identity, as on Windows,
  // where opening it fails: its name stands, but nothing it names does.
  if (S_ISLNK(e.st.st_mode)) return fail(kErrorFileNotFound);
  id.volume = static_cast<uint64_t>(e.st.st_dev);
  id.index = static_cast<uint64_t>(e.st.st_ino);
  return true;
}

}  // namespace torvex::posix
