// FindFirstFileA / FindNextFileA over a host directory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_posix.h"
#include "platform/posix_backend.h"
#include "platform/unicode.h"
#include "platform/wildcard.h"
#include "platform/win_path.h"

namespace torvex {

// A search's matches in the order NTFS lists them, read from the directory
// a slice at a time: the next names after the last one handed out, so that
// a listing of a hundred thousand files holds a few thousand names, not all
// of them. Each entry's details are read as it is handed out; one removed
// meanwhile is passed over, and one added meanwhile is found when its name
// comes after the search's place, as NTFS does.
struct SearchHandle {
  std::string dir;
  std::optional<wildcard::Pattern> matcher;  // none: a search for one name, found
  std::vector<std::string> slice;            // the next names, in order
  size_t next = 0;
  bool more = false;      // the directory held matches past the slice
  size_t sliceSize = 0;   // the most names a slice holds
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

// The order NTFS lists a directory in: by the names' upper-cased UTF-16
// forms, then by their bytes, so that names differing only in case still
// come in one order.
bool listedBefore(std::string_view x, std::string_view y) {
  const int c = unicode::compareSortKeys(x, y);
  return c != 0 ? c < 0 : x < y;
}

// A slice small enough to be cheap, large enough that a directory is read a
// few dozen times at most in a search of all of it.
constexpr size_t kSmallestSlice = 4096;
constexpr size_t kMostReads = 32;

// Reads the slice after the current one: the smallest names in the listing's
// order that come after its last name (all, for the first slice). Keeps up
// to twice a slice while it reads, dropping the larger half when full.
void readSlice(SearchHandle& h) {
  const bool first = h.sliceSize == 0;
  const std::string after = h.slice.empty() ? std::string() : h.slice.back();
  const size_t size = first ? kSmallestSlice : h.sliceSize;
  std::vector<std::string> kept;
  std::optional<std::string> bound;  // no name from here on is in the slice
  size_t matches = 0;
  h.slice.clear();
  h.next = 0;
  h.more = false;
  DIR* d = opendir(h.dir.c_str());
  if (!d) return;  // gone meanwhile: the search ends
  while (dirent* de = readdir(d)) {
    std::string_view name = de->d_name;
    if (name == "." || name == "..") continue;
    // Names Win32 could not open by that very name are not shown: a caller
    // that acted on one would reach a different file, or none.
    if (!winpath::isReachableName(name) || !h.matcher->matches(name)) continue;
    ++matches;
    if (!first && !listedBefore(after, name)) continue;
    if (bound && !listedBefore(name, *bound)) {
      h.more = true;
      continue;
    }
    kept.emplace_back(name);
    if (kept.size() == 2 * size) {
      std::nth_element(kept.begin(), kept.begin() + static_cast<ptrdiff_t>(size - 1), kept.end(),
                       listedBefore);
      kept.resize(size);
      bound = kept.back();
      h.more = true;
    }
  }
  closedir(d);
  std::sort(kept.begin(), kept.end(), listedBefore);
  if (kept.size() > size) {
    kept.resize(size);
    h.more = true;
  }
  h.slice = std::move(kept);
  if (first) h.sliceSize = std::max(kSmallestSlice, matches / kMostReads);
}

// The next match still there, described; false past the last.
bool nextEntry(SearchHandle& h, DirEntry& out) {
  for (;;) {
    while (h.next < h.slice.size()) {
      const std::string& name = h.slice[h.next++];
      if (describe(joinPath(h.dir, name), name, out)) return true;
    }
    if (!h.more) return false;
    readSlice(h);
  }
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
  if (wildcard::isInvalidPattern(loc.last)) return failWith<SearchHandle*>(kErrorInvalidName, nullptr);

  // Readable now, or the search fails as it starts.
  if (DIR* d = opendir(loc.dir.c_str())) {
    closedir(d);
  } else {
    return failWith<SearchHandle*>(win32Error(errno), nullptr);
  }
  auto h = std::make_unique<SearchHandle>();
  h->dir = loc.dir;
  h->matcher.emplace(loc.last, loc.endedInDot);
  // "." and ".." come first, as NTFS lists them; the root has neither.
  if (!loc.dirIsRoot) {
    for (const char* dot : {".", ".."}) {
      if (h->matcher->matches(dot)) h->slice.emplace_back(dot);
    }
  }
  h->more = true;  // the rest of the directory follows the dots

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
