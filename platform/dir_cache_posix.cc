#include "platform/dir_cache_posix.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "platform/unicode.h"

namespace torvex::posix {
namespace {

// Enough for the trays and a few working directories; past it, start over.
constexpr size_t kMaxDirectories = 64;

void insertSorted(std::vector<std::string>& names, std::string_view name) {
  auto at = std::lower_bound(names.begin(), names.end(), name);
  if (at == names.end() || *at != name) names.insert(at, std::string(name));
}

}  // namespace

bool DirCache::Stamp::operator==(const Stamp& o) const {
  return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec &&
         mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
         ctime.tv_nsec == o.ctime.tv_nsec;
}

DirCache::Stamp DirCache::stampOf(const struct stat& st) {
  return Stamp{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
}

bool DirCache::scan(const std::string& dir, const Stamp& stamp, Listing& out) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  out.stamp = stamp;
  out.byKey.clear();
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    insertSorted(out.byKey[unicode::foldedName(e->d_name)], e->d_name);
  }
  closedir(d);
  return true;
}

std::vector<std::string> DirCache::namesLike(const std::string& dir, const struct stat& dirStat,
                                             std::string_view name) {
  std::lock_guard lock(mutex_);
  const Stamp stamp = stampOf(dirStat);
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
  auto names = it->second.byKey.find(unicode::foldedName(name));
  return names == it->second.byKey.end() ? std::vector<std::string>{} : names->second;
}

void DirCache::changed(const std::string& dir, const struct stat& before,
                       std::string_view removed, std::string_view added) {
  std::lock_guard lock(mutex_);
  auto it = dirs_.find(dir);
  if (it == dirs_.end()) return;
  struct stat after;
  if (!(it->second.stamp == stampOf(before)) || stat(dir.c_str(), &after) != 0) {
    dirs_.erase(it);  // someone else changed it too: read it afresh next time
    return;
  }
  Listing& listing = it->second;
  if (!removed.empty()) {
    auto names = listing.byKey.find(unicode::foldedName(removed));
    if (names != listing.byKey.end()) {
      std::erase(names->second, removed);
      if (names->second.empty()) listing.byKey.erase(names);
    }
  }
  if (!added.empty()) insertSorted(listing.byKey[unicode::foldedName(added)], added);
  listing.stamp = stampOf(after);
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
