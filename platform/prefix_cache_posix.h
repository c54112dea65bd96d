// Remembers where a directory part written in another letter case was found
// ("C:/T/outtray/work" -> ".../T/OUTTRAY/WORK"), so that each call does not
// look every component up again, failing first on the spelling it was given.
//
// An answer is used only while a fresh lookup would give it too: every
// directory whose listing chose a spelling on the way still has the stamp it
// had then (an entry added there, such as the exact spelling or a twin that
// sorts first, could change the choice), or was since changed only by this
// layer, which never adds a name that another case of it already stands for;
// and the answer's host path still leads to a directory. Steps where the
// exact spelling existed need nothing more: a fresh lookup takes that very
// name again as long as the host path runs through it. The answer only ever
// names a directory; every name looked up in it still goes to the kernel.
#pragma once

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/dir_cache_posix.h"

namespace torvex::posix {

class PrefixCache {
 public:
  // A directory whose listing chose a spelling, as it was then.
  struct Choice {
    std::string dir;
    DirStamp stamp;
  };

  // The host directory `spelled` was resolved to, with a fresh stat of it,
  // when that answer still holds; otherwise false, and the answer is dropped.
  bool find(const std::string& spelled, std::string& dir, struct stat& dirStat);

  // `spelled` resolved to `dir` through `choices`.
  void remember(const std::string& spelled, const std::string& dir, std::vector<Choice> choices);

  // Whether some answer rests on the listing of `dir`.
  bool restsOn(const std::string& dir);

  // This layer changed `dir`; its stats before and after, as for DirCache.
  void changed(const std::string& dir, const struct stat& before, const struct stat* after);

  void clear();

 private:
  struct Answer {
    std::string dir;
    std::vector<Choice> choices;
  };

  std::mutex mutex_;
  std::unordered_map<std::string, Answer> answers_;
};

PrefixCache& prefixCache();

}  // namespace torvex::posix
