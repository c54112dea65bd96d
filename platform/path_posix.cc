#include "platform/path_posix.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/dir_cache_posix.h"
#include "platform/environment_posix.h"
#include "platform/platform.h"
#include "platform/prefix_cache_posix.h"
#include "platform/win_path.h"

namespace torvex::posix {
namespace {

std::string joinAll(const std::string& root, const std::vector<std::string>& comps,
                    size_t count) {
  std::string out = root;
  for (size_t i = 0; i < count; ++i) out = joinPath(out, comps[i]);
  return out;
}

bool isDirectory(const std::string& path, struct stat& st) {
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Stats the entry at `path` itself, then what a link leads to unless it
// dangles: one call for a plain entry, one for a missing one.
bool statEntry(const std::string& path, Entry& out) {
  if (lstat(path.c_str(), &out.self) != 0) return false;
  out.st = out.self;
  if (S_ISLNK(out.self.st_mode)) {
    struct stat target;
    if (stat(path.c_str(), &target) == 0) out.st = target;
  }
  return true;
}

// Looks `name` up in `dir` ignoring case; fills `out` when found.
// `absent`: the exact spelling was just found missing.
uint32_t findIn(const std::string& dir, const struct stat& dirStat, std::string_view name,
                Entry& out, bool absent = false) {
  out = Entry{};
  out.name = std::string(name);
  out.path = joinPath(dir, name);
  if (!absent) {
    if (statEntry(out.path, out)) {
      out.found = true;
      return 0;
    }
    if (errno != ENOENT) return win32Error(errno);
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    bool stale = false;
    for (const std::string& candidate : dirCache().namesLike(dir, dirStat, name)) {
      std::string path = joinPath(dir, candidate);
      if (statEntry(path, out)) {
        out.name = candidate;
        out.path = std::move(path);
        out.found = true;
        return 0;
      }
      stale = true;
    }
    if (!stale) break;
    dirCache().forget(dir);
  }
  return 0;
}

// Walks the directory part from `root` one component at a time. Each step
// whose spelling came from a listing is noted in `choices`.
uint32_t walk(const std::string& root, const std::vector<std::string>& comps, size_t count,
              Location& out, std::vector<PrefixCache::Choice>& choices) {
  out.dir = root;
  if (!isDirectory(out.dir, out.dirStat)) return kErrorPathNotFound;
  for (size_t i = 0; i < count; ++i) {
    Entry e;
    if (findIn(out.dir, out.dirStat, comps[i], e) != 0 || !e.found || !S_ISDIR(e.st.st_mode)) {
      return kErrorPathNotFound;
    }
    if (e.name != comps[i]) choices.push_back({out.dir, DirStamp::of(out.dirStat)});
    out.dir = std::move(e.path);
    out.dirStat = e.st;
  }
  return 0;
}

// Looks the last component up as spelled in `loc.dir`, not yet known to
// exist. Where it is there, so is the directory, as spelled, which then
// needs no stat of its own (see stampBeforeChange). False when the directory
// is not there as spelled; `loc.probe` says what was learnt of the component.
bool probeExact(Location& loc) {
  Entry e;
  e.name = loc.last;
  e.path = joinPath(loc.dir, loc.last);
  if (!statEntry(e.path, e)) {
    const bool absent = errno == ENOENT;
    if (!isDirectory(loc.dir, loc.dirStat)) return false;
    if (absent) loc.probe = Location::Probe::Absent;
    return true;
  }
  e.found = true;
  loc.probed = std::move(e);
  loc.probe = Location::Probe::Found;
  loc.dirStatKnown = false;
  return true;
}

}  // namespace

std::string joinPath(const std::string& dir, std::string_view name) {
  std::string out = dir;
  if (out.empty() || out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

void noteChange(const Location& loc, std::string_view removed, std::string_view added) {
  const std::string& dir = loc.dir;
  if (!dirCache().holds(dir) && !prefixCache().restsOn(dir)) return;
  struct stat after;
  const struct stat* now = stat(dir.c_str(), &after) == 0 ? &after : nullptr;
  // Not taken before the change: a zero stat matches no stamp, so the
  // caches read the directory afresh.
  dirCache().changed(dir, loc.dirStat, now, removed, added);
  prefixCache().changed(dir, loc.dirStat, now);
}

void stampBeforeChange(Location& loc) {
  if (loc.dirStatKnown || (!dirCache().holds(loc.dir) && !prefixCache().restsOn(loc.dir))) return;
  loc.dirStatKnown = stat(loc.dir.c_str(), &loc.dirStat) == 0;
}

bool directoryStat(const Location& loc, struct stat& out) {
  if (loc.dirStatKnown) {
    out = loc.dirStat;
    return true;
  }
  return stat(loc.dir.c_str(), &out) == 0;
}

std::string driveDirectory(int drive) {
  if (drive < 1 || drive > 26) return {};
  return environment()->drives[drive];
}

uint32_t locate(std::string_view path, Location& out) {
  out = Location{};
  if (path.empty()) return kErrorPathNotFound;
  winpath::ParsedPath parsed = winpath::parse(path);
  std::string root;
  std::vector<std::string> comps;
  switch (parsed.root) {
    case winpath::Root::Network:
      return kErrorPathNotFound;
    case winpath::Root::Drive:
      root = driveDirectory(parsed.drive);
      if (root.empty()) return kErrorPathNotFound;
      comps = std::move(parsed.components);
      break;
    case winpath::Root::Absolute:
      root = "/";
      comps = std::move(parsed.components);
      break;
    case winpath::Root::Relative: {
      char cwd[PATH_MAX];
      if (!getcwd(cwd, sizeof cwd)) return kErrorPathNotFound;
      root = "/";
      // The current directory's own names are taken as they stand: none of
      // the Win32 rewriting (trailing dots, spaces) applies to them.
      for (std::string_view rest = cwd; !rest.empty();) {
        size_t slash = rest.find('/');
        if (slash != 0) comps.emplace_back(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
      }
      winpath::appendNormalised(comps, parsed.components);
      break;
    }
  }
  out.trailingSeparator = parsed.trailingSeparator;
  out.endedInDot = parsed.endedInDot;
  const size_t dirCount = comps.empty() ? 0 : comps.size() - 1;
  for (size_t i = 0; i < dirCount; ++i) {
    if (winpath::isInvalidName(comps[i])) return kErrorInvalidName;
  }
  if (!comps.empty()) out.last = comps.back();

  // The directory part as spelled: it exists as it stands, or was found
  // before in other letter cases, or is looked up one component at a time.
  const std::string spelled = joinAll(root, comps, dirCount);
  if (dirCount == 0 || !prefixCache().find(spelled, out.dir, out.dirStat)) {
    out.dir = spelled;
    const bool asSpelled = out.last.empty() ? isDirectory(out.dir, out.dirStat) : probeExact(out);
    if (!asSpelled) {
      std::vector<PrefixCache::Choice> choices;
      if (uint32_t err = walk(root, comps, dirCount, out, choices)) return err;
      if (!choices.empty()) prefixCache().remember(spelled, out.dir, std::move(choices));
    }
  }
  out.dirIsRoot = comps.size() <= 1;
  return 0;
}

uint32_t lookup(const Location& loc, Entry& out) {
  if (loc.last.empty()) {
    out = Entry{};
    out.path = loc.dir;
    out.found = true;
    out.st = loc.dirStat;
    return 0;
  }
  if (loc.probe == Location::Probe::Found) {
    out = loc.probed;
    return 0;
  }
  return findIn(loc.dir, loc.dirStat, loc.last, out, loc.probe == Location::Probe::Absent);
}

uint32_t win32Error(int err) {
  switch (err) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: case EPERM: case EROFS: case EISDIR: return kErrorAccessDenied;
    case EEXIST: return kErrorFileExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENOSPC: case EDQUOT: case EFBIG: return kErrorDiskFull;
    case ENAMETOOLONG: case EILSEQ: return kErrorInvalidName;
    case EBUSY: case ETXTBSY: return kErrorSharingViolation;
    case EBADF: return kErrorInvalidHandle;
    case EINVAL: return kErrorInvalidParameter;
    default: return kErrorGenFailure;
  }
}

}  // namespace torvex::posix
