// FindFirstFileA / FindNextFileA over a host directory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/path_posix.h"
#include "platform/posix_backend.h"
#include "platform/unicode.h"
#include "platform/wildcard.h"
#include "platform/win_path.h"

namespace torvex {

struct SearchHandle {
  std::vector<DirEntry> entries;
  size_t next = 0;
};

namespace posix {
namespace {

int64_t seconds(const statx_timestamp& t) { return t.tv_sec; }

// Fills `out` for the entry at `path`; false when it vanished meanwhile.
bool describe(const std::string& path, std::string name, DirEntry& out) {
  struct statx stx;
  const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
  if (statx(AT_FDCWD, path.c_str(), 0, mask, &stx) != 0 &&
      statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &stx) != 0) {
    return false;
  }
  struct stat st{};
  st.st_mode = stx.stx_mode;
  out.name = std::move(name);
  out.attributes = fileAttributesOf(st);
  out.size = S_ISDIR(stx.stx_mode) ? 0 : stx.stx_size;
  out.lastWriteTime = seconds(stx.stx_mtime);
  out.lastAccessTime = seconds(stx.stx_atime);
  out.creationTime = (stx.stx_mask & STATX_BTIME) ? seconds(stx.stx_btime) : out.lastWriteTime;
  return true;
}

// A pattern may hold the wildcards but no other character Win32 refuses.
bool isInvalidPattern(std::string_view pattern) {
  for (char c : pattern) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ':' || c == '|') return true;
  }
  return false;
}

SearchHandle* single(const Location& loc, DirEntry& first) {
  if (winpath::isInvalidName(loc.last) || winpath::isDeviceName(loc.last)) {
    return failWith<SearchHandle*>(winpath::isDeviceName(loc.last) ? kErrorFileNotFound
                                                                   : kErrorInvalidName,
                                   nullptr);
  }
  Entry e;
  if (uint32_t err = lookup(loc, e)) return failWith<SearchHandle*>(err, nullptr);
  DirEntry entry;
  if (!e.found || !describe(e.path, e.name, entry)) {
    return failWith<SearchHandle*>(kErrorFileNotFound, nullptr);
  }
  first = entry;
  auto* h = new SearchHandle;
  h->entries.push_back(std::move(entry));
  h->next = 1;
  return h;
}

}  // namespace

SearchHandle* PosixPlatform::findFirst(const char* pattern, DirEntry& first) {
  if (!pattern) return failWith<SearchHandle*>(kErrorInvalidParameter, nullptr);
  Location loc;
  if (uint32_t err = locate(pattern, loc)) return failWith<SearchHandle*>(err, nullptr);
  // An empty pattern ("dir\") never matches.
  if (loc.trailingSeparator || loc.last.empty()) {
    return failWith<SearchHandle*>(kErrorFileNotFound, nullptr);
  }
  if (!wildcard::hasWildcards(loc.last)) return single(loc, first);
  if (isInvalidPattern(loc.last)) return failWith<SearchHandle*>(kErrorInvalidName, nullptr);

  const wildcard::Pattern matcher(loc.last, loc.endedInDot);
  DIR* d = opendir(loc.dir.c_str());
  if (!d) return failWith<SearchHandle*>(win32Error(errno), nullptr);
  std::vector<std::string> names;
  while (dirent* de = readdir(d)) {
    std::string_view name = de->d_name;
    if (name == "." || name == "..") continue;
    // Names Win32 could not open by that very name are not shown: a caller
    // that acted on one would reach a different file, or none.
    if (!winpath::isReachableName(name)) continue;
    if (matcher.matches(name)) names.emplace_back(name);
  }
  closedir(d);

  std::vector<DirEntry> dots;
  if (!loc.dirIsRoot) {
    for (const char* dot : {".", ".."}) {
      DirEntry e;
      if (matcher.matches(dot) && describe(joinPath(loc.dir, dot), dot, e)) {
        dots.push_back(std::move(e));
      }
    }
  }
  std::vector<std::pair<std::u16string, DirEntry>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) {
    DirEntry e;
    std::u16string key = unicode::sortKey(name);
    // The path first: an argument moved from may be evaluated before it.
    std::string path = joinPath(loc.dir, name);
    if (describe(path, std::move(name), e)) {
      keyed.emplace_back(std::move(key), std::move(e));
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });

  auto* h = new SearchHandle;
  h->entries = std::move(dots);
  for (auto& k : keyed) h->entries.push_back(std::move(k.second));
  if (h->entries.empty()) {
    delete h;
    return failWith<SearchHandle*>(kErrorFileNotFound, nullptr);
  }
  first = h->entries[0];
  h->next = 1;
  setLastError(kErrorSuccess);
  return h;
}

bool PosixPlatform::findNext(SearchHandle* s, DirEntry& next) {
  if (!s) return fail(kErrorInvalidHandle);
  if (s->next >= s->entries.size()) return fail(kErrorNoMoreFiles);
  next = s->entries[s->next++];
  return true;
}

void PosixPlatform::findClose(SearchHandle* s) { delete s; }

std::vector<std::string> PosixPlatform::unnamableEntries(const char* directory) {
  std::vector<std::string> names;
  Location loc;
  if (!directory || locate(std::string(directory) + "/*", loc) != 0) return names;
  DIR* d = opendir(loc.dir.c_str());
  if (!d) return names;
  while (dirent* de = readdir(d)) {
    std::string_view name = de->d_name;
    if (name != "." && name != ".." && !winpath::isReachableName(name)) names.emplace_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace posix
}  // namespace torvex
