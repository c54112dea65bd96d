#include "platform/dir_cache_posix.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "platform/unicode.h"

namespace torvex::posix {
namespace {

// Enough for the trays and a few working directories; past it, start over.
constexpr size_t kMaxDirectories = 64;
// Spellings kept a directory: a few trays and files named in another case.
constexpr size_t kMaxSpellings = 64;

uint64_t keyOf(const std::u32string& folded) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a over the code points
  for (char32_t c : folded) h = (h ^ static_cast<uint64_t>(c)) * 1099511628211ull;
  return h;
}

uint64_t keyOf(std::string_view name) { return keyOf(unicode::foldedName(name)); }

// Calls f(name) for every entry of `dir` but "." and ".."; false when it
// cannot be read.
template <class F>
bool eachName(const std::string& dir, F&& f) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) f(e->d_name);
  }
  closedir(d);
  return true;
}

}  // namespace

bool DirStamp::operator==(const DirStamp& o) const {
  return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec &&
         mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
         ctime.tv_nsec == o.ctime.tv_nsec;
}

DirStamp DirStamp::of(const struct stat& st) {
  return DirStamp{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
}

bool DirCache::scan(const std::string& dir, const DirStamp& stamp, Listing& out) {
  // Counted first, so that nothing but the set grows with the directory.
  size_t names = 0;
  if (!eachName(dir, [&](const char*) { ++names; })) return false;
  out.stamp = stamp;
  out.folded = FingerprintSet(names);
  return eachName(dir, [&](const char* name) { out.folded.add(keyOf(name)); });
}

std::vector<std::string> DirCache::namesLike(const std::string& dir, const struct stat& dirStat,
                                             std::string_view name) {
  std::lock_guard lock(mutex_);
  const DirStamp stamp = DirStamp::of(dirStat);
  auto it = dirs_.find(dir);
  if (it == dirs_.end() || !(it->second.stamp == stamp)) {
    if (it == dirs_.end() && dirs_.size() >= kMaxDirectories) dirs_.clear();
    Listing fresh;
    if (!scan(dir, stamp, fresh)) {
      dirs_.erase(dir);
      return {};
    }
    it = dirs_.insert_or_assign(dir, std::move(fresh)).first;
  }
  std::u32string folded = unicode::foldedName(name);
  Listing& listing = it->second;
  std::vector<std::string> out;
  if (!listing.folded.mayHold(keyOf(folded))) return out;
  if (auto known = listing.spellings.find(folded); known != listing.spellings.end()) {
    return known->second;
  }
  const bool read = eachName(dir, [&](const char* n) {
    if (unicode::foldedName(n) == folded) out.emplace_back(n);
  });
  if (!read) {
    dirs_.erase(it);
    return out;
  }
  std::sort(out.begin(), out.end());
  if (listing.spellings.size() >= kMaxSpellings) listing.spellings.clear();
  listing.spellings.emplace(std::move(folded), out);
  return out;
}

bool DirCache::holds(const std::string& dir) {
  std::lock_guard lock(mutex_);
  return dirs_.count(dir) != 0;
}

void DirCache::changed(const std::string& dir, const struct stat& before,
                       const struct stat* after, std::string_view removed,
                       std::string_view added) {
  std::lock_guard lock(mutex_);
  auto it = dirs_.find(dir);
  if (it == dirs_.end()) return;
  if (!after || !(it->second.stamp == DirStamp::of(before))) {
    dirs_.erase(it);  // someone else changed it too: read it afresh next time
    return;
  }
  Listing& listing = it->second;
  // Each name is folded once, for its fingerprint and for its spellings.
  if (!removed.empty()) {
    const std::u32string folded = unicode::foldedName(removed);
    if (!listing.folded.remove(keyOf(folded))) {
      dirs_.erase(it);  // it did not know the name: read it afresh next time
      return;
    }
    listing.spellings.erase(folded);
  }
  if (!added.empty()) {
    const std::u32string folded = unicode::foldedName(added);
    listing.folded.add(keyOf(folded));
    listing.spellings.erase(folded);
  }
  listing.stamp = DirStamp::of(*after);
}

void DirCache::forget(const std::string& dir) {
  std::lock_guard lock(mutex_);
  dirs_.erase(dir);
}

void DirCache::clear() {
  std::lock_guard lock(mutex_);
  dirs_.clear();
}

DirCache& dirCache() {
  static DirCache cache;
  return cache;
}

}  // namespace torvex::posix
