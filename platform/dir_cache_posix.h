// Remembers, per directory, which names its entries fold to, so that looking
// up a name that is not there in any letter case does not read the whole
// directory every time (creating n new files one by one would otherwise cost
// n directory scans). Only a fingerprint of each folded name is kept, a few
// bytes a name: a name that may be there in another case is looked for in
// the directory itself, which is rare, since a look-up comes here only when
// the exact spelling is missing.
//
// Trust rules: a listing is used only while the directory's device, inode,
// modification and change times are what they were when it was read, or
// when this layer itself last changed it. It only ever answers "which other
// spellings exist": operations on an exact spelling always go to the kernel,
// and a spelling the cache offers is verified by the call that uses it.
#pragma once

#include <sys/stat.h>

#include <mutex>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/fingerprint_set.h"

namespace torvex::posix {

// What tells a directory's listing has changed: its identity and the times
// the kernel sets on every entry added, removed or renamed in it.
struct DirStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  timespec mtime{}, ctime{};
  static DirStamp of(const struct stat& st);
  bool operator==(const DirStamp& o) const;
};

class DirCache {
 public:
  // On-disk names in `dir` equal to `name` ignoring case, sorted by bytes.
  // `dirStat` is a stat of `dir` taken just before the call.
  std::vector<std::string> namesLike(const std::string& dir, const struct stat& dirStat,
                                     std::string_view name);

  // Whether a listing of `dir` is kept.
  bool holds(const std::string& dir);

  // This layer changed `dir` (whose stat before the change was `before`, and
  // after it `after`, null when it could not be taken): `removed` left it,
  // `added` entered it (either may be empty).
  void changed(const std::string& dir, const struct stat& before, const struct stat* after,
               std::string_view removed, std::string_view added);

  void forget(const std::string& dir);
  void clear();

 private:
  // The fingerprints of the folded names, as they stood at `stamp`, and the
  // spellings already read for folded names that may be there: a tray that
  // stands under another case is named that way on every call.
  struct Listing {
    DirStamp stamp;
    FingerprintSet folded;
    std::unordered_map<std::u32string, std::vector<std::string>> spellings;
  };
  bool scan(const std::string& dir, const DirStamp& stamp, Listing& out);

  std::mutex mutex_;
  std::unordered_map<std::string, Listing> dirs_;
};

DirCache& dirCache();

}  // namespace torvex::posix
