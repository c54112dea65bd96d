#include "bench/exchange/scratch_area.h"

#include <linux/magic.h>
#include <stdlib.h>
#include <sys/vfs.h>

#include <cstdio>
#include <system_error>

#include "platform/platform_posix.h"

namespace torvex::bench {
namespace {

[[noreturn]] void refuse(const std::string& why) {
  std::fprintf(stderr, "benchmark: %s\n", why.c_str());
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

}  // namespace

ScratchArea::ScratchArea() {
  const char* parent = std::getenv("TORVEX_BENCH_PARENT");
  std::error_code ec;
  const std::filesystem::path base =
      std::filesystem::absolute(parent && *parent ? parent : "/var/tmp", ec);
  if (ec) refuse("cannot make the parent directory absolute");
  std::string pattern = (base / "torvex-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) refuse("cannot make a directory under " + base.string());
  path_ = pattern;
  struct statfs fs;
  if (statfs(path_.c_str(), &fs) != 0) refuse("cannot query the file system of " + pattern);
  fileSystem_ = nameOf(static_cast<long>(fs.f_type));
  if (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC) {
    std::filesystem::remove(path_, ec);
    refuse(base.string() + " is in memory (" + fileSystem_ +
           "): durable writes cost nothing there; set TORVEX_BENCH_PARENT to a disk");
  }
  ::setenv("TORVEX_DRIVES", ("C=" + path_.string()).c_str(), 1);
  reloadEnvironment();
}

ScratchArea::~ScratchArea() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace torvex::bench
