// Remembers, per directory, which on-disk names each upper-cased name stands
// for, so that looking up a name in another letter case does not read the
// whole directory every time (creating n new files one by one would
// otherwise cost n directory scans).
//
// Trust rules: a listing is used only while the directory's device, inode,
// modification and change times are what they were when it was read, or
// when this layer itself last changed it. It only ever answers "which other
// spellings exist": operations on an exact spelling always go to the kernel,
// and a spelling the cache offers is verified by the call that uses it.
#pragma once

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace torvex::posix {

class DirCache {
 public:
  // On-disk names in `dir` equal to `name` ignoring case, sorted by bytes.
  // `dirStat` is a stat of `dir` taken just before the call.
  std::vector<std::string> namesLike(const std::string& dir, const struct stat& dirStat,
                                     std::string_view name);

  // This layer changed `dir` (whose stat before the change was `before`):
  // `removed` left it, `added` entered it (either may be empty).
  void changed(const std::string& dir, const struct stat& before, std::string_view removed,
               std::string_view added);

  void forget(const std::string& dir);
  void clear();

 private:
  struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{}, ctime{};
    bool operator==(const Stamp& o) const;
  };
  struct Listing {
    Stamp stamp;
    std::unordered_map<std::u32string, std::vector<std::string>> byKey;
  };
  static Stamp stampOf(const struct stat& st);
  bool scan(const std::string& dir, const Stamp& stamp, Listing& out);

  std::mutex mutex_;
  std::unordered_map<std::string, Listing> dirs_;
};

DirCache& dirCache();

}  // namespace torvex::posix
