// FindFirstFileA / FindNextFileA over a host directory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_posix.h"
#include "platform/posix_backend.h"
#include "platform/unicode.h"
#include "platform/wildcard.h"
#include "platform/win_path.h"

namespace torvex {

// A search's matches by name only, in the order NTFS lists them; each one's
// details are read as it is handed out, so that a listing of a hundred
// thousand files holds little more than their names. One removed meanwhile
// is passed over, as a search started then would not have found it.
struct SearchHandle {
  std::string dir;
  std::string names;            // each followed by a zero byte
  std::vector<uint32_t> order;  // where each name starts, in the order handed out
  size_t next = 0;

  std::string_view nameAt(uint32_t at) const { return names.c_str() + at; }
  bool add(std::string_view name) {
    if (names.size() + name.size() >= UINT32_MAX) return false;
    order.push_back(static_cast<uint32_t>(names.size()));
    names.append(name).push_back('\0');
    return true;
  }
};

namespace posix {
namespace {

int64_t seconds(const statx_timestamp& t) { return t.tv_sec; }

// Fills `out` for the entry at `path`; false when it vanished meanwhile.
bool describe(const std::string& path, std::string_view name, DirEntry& out) {
  struct statx stx;
  const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
  if (statx(AT_FDCWD, path.c_str(), 0, mask, &stx) != 0 &&
      statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &stx) != 0) {
    return false;
  }
  struct stat st{};
  st.st_mode = stx.stx_mode;
  out.name = name;
  out.attributes = fileAttributesOf(st);
  out.size = S_ISDIR(stx.stx_mode) ? 0 : stx.stx_size;
  out.lastWriteTime = seconds(stx.stx_mtime);
  out.lastAccessTime = seconds(stx.stx_atime);
  out.creationTime = (stx.stx_mask & STATX_BTIME) ? seconds(stx.stx_btime) : out.lastWriteTime;
  return true;
}

// The next match still there, described; false past the last.
bool nextEntry(SearchHandle& h, DirEntry& out) {
  while (h.next < h.order.size()) {
    const std::string_view name = h.nameAt(h.order[h.next++]);
    if (describe(joinPath(h.dir, name), name, out)) return true;
  }
  return false;
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
  if (!e.found || !describe(e.path, e.name, first)) {
    return failWith<SearchHandle*>(kErrorFileNotFound, nullptr);
  }
  return new SearchHandle;  // nothing after the one entry
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
  std::unique_ptr<SearchHandle> h(new SearchHandle{loc.dir, {}, {}, 0});
  // "." and ".." come first, as NTFS lists them; the root has neither.
  if (!loc.dirIsRoot) {
    for (const char* dot : {".", ".."}) {
      if (matcher.matches(dot)) h->add(dot);
    }
  }
  const size_t dots = h->order.size();
  bool fits = true;
  while (dirent* de = readdir(d)) {
    std::string_view name = de->d_name;
    if (name == "." || name == "..") continue;
    // Names Win32 could not open by that very name are not shown: a caller
    // that acted on one would reach a different file, or none.
    if (!winpath::isReachableName(name)) continue;
    if (matcher.matches(name) && !(fits = h->add(name))) break;
  }
  closedir(d);
  if (!fits) return failWith<SearchHandle*>(kErrorNotEnoughMemory, nullptr);
  h->names.shrink_to_fit();
  h->order.shrink_to_fit();
  std::sort(h->order.begin() + dots, h->order.end(), [&h](uint32_t a, uint32_t b) {
    const std::string_view x = h->nameAt(a), y = h->nameAt(b);
    const int c = unicode::compareSortKeys(x, y);
    return c != 0 ? c < 0 : x < y;
  });

  if (!nextEntry(*h, first)) return failWith<SearchHandle*>(kErrorFileNotFound, nullptr);
  setLastError(kErrorSuccess);
  return h.release();
}

bool PosixPlatform::findNext(SearchHandle* s, DirEntry& next) {
  if (!s) return fail(kErrorInvalidHandle);
  return nextEntry(*s, next) || fail(kErrorNoMoreFiles);
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
