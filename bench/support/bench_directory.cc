#include "bench/support/bench_directory.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/platform.h"

namespace torvex::bench {

namespace {

std::optional<ScratchDirectory> gLive;  // what failRun removes

void remove(const ScratchDirectory& dir) {
  if (!platform().removeScratchDirectory(dir)) {
    std::fprintf(stderr, "benchmark: could not remove all of %s\n", dir.hostPath.c_str());
  }
}

[[noreturn]] void refuse(const ScratchDirectory* made, const std::string& why) {
  std::fprintf(stderr, "benchmark: %s\n", why.c_str());
  if (made) remove(*made);
  std::exit(2);
}

std::string nameOf(long type) {
  switch (type) {
    case EXT4_SUPER_MAGIC: return "ext4";
    case XFS_SUPER_MAGIC: return "xfs";
    case BTRFS_SUPER_MAGIC: return "btrfs";
    case TMPFS_MAGIC: return "tmpfs";
    case RAMFS_MAGIC: return "ramfs";
    case OVERLAYFS_SUPER_MAGIC: return "overlay";
    default: {
      char hex[32];
      std::snprintf(hex, sizeof hex, "type 0x%lx", type);
      return hex;
    }
  }
}

// Whether the ext4 volume holding `path` runs without a journal: its block
// device (by /sys/dev/block) has no journal thread's entry in /proc/fs/jbd2.
// Such a volume passes over every inode freed in the last minutes each time
// it makes a file, so deleting files slows the files made after them.
bool withoutJournal(const std::string& path) {
  namespace fs = std::filesystem;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  std::error_code ec;
  const std::string number =
      std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  const fs::path device = fs::read_symlink("/sys/dev/block/" + number, ec);
  if (ec || device.filename().empty()) return false;
  const std::string prefix = device.filename().string() + "-";
  for (fs::directory_iterator it("/proc/fs/jbd2", ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().starts_with(prefix)) return false;
  }
  return !ec || ec == std::errc::no_such_file_or_directory;
}

// The scratch directory is made under $TMPDIR: for a disk, that is pointed
// at the disk's parent while it is made.
bool makeUnder(const char* parent, ScratchDirectory& dir) {
  const char* was = std::getenv("TMPDIR");
  const std::string saved = was ? was : "";
  ::setenv("TMPDIR", parent, 1);
  const bool made = platform().createScratchDirectory('C', dir);
  if (was) {
    ::setenv("TMPDIR", saved.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
  return made;
}

}  // namespace

BenchDirectory::BenchDirectory(Medium medium) {
  ScratchDirectory dir;
  const char* parent = std::getenv(medium == Medium::Disk ? "TORVEX_BENCH_PARENT" : "TMPDIR");
  if (!parent || !*parent) parent = medium == Medium::Disk ? "/var/tmp" : "/tmp";
  if (gLive || !makeUnder(parent, dir)) {
    refuse(nullptr, std::string("cannot make a fresh directory under ") + parent);
  }
  if (std::string problem = environmentProblem(); !problem.empty()) refuse(&dir, problem);
  struct statfs fs;
  if (statfs(dir.hostPath.c_str(), &fs) != 0) {
    refuse(&dir, "cannot query the file system of " + dir.hostPath);
  }
  fileSystem_ = nameOf(static_cast<long>(fs.f_type));
  if (fs.f_type == EXT4_SUPER_MAGIC && withoutJournal(dir.hostPath)) {
    fileSystem_ += " without a journal";
  }
  if (medium == Medium::Disk && (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC)) {
    refuse(&dir, std::string(parent) + " is in memory (" + fileSystem_ +
                     "): durable writes cost nothing there; set TORVEX_BENCH_PARENT to a disk");
  }
  gLive = dir;
  path_ = dir.hostPath;
}

BenchDirectory::~BenchDirectory() {
  remove(*gLive);
  gLive.reset();
}

void failRun(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "benchmark failed: %s\n", what.c_str());
  if (gLive) remove(*gLive);
  std::exit(1);
}

void takeNoArguments(int argc, char** argv) {
  if (argc <= 1) return;
  std::fprintf(stderr,
               "usage: %s\n(it works in a fresh directory of its own under $TMPDIR, or /tmp)\n",
               argv[0]);
  std::exit(2);
}

}  // namespace torvex::bench
