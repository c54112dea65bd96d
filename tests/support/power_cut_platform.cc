#include "tests/support/power_cut_platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <cctype>
#include <fstream>
#include <sstream>

#include "tests/support/temp_tree.h"

namespace torvex::testing {
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// What names one file on its volume, whatever its name: 0 when absent.
uint64_t inodeOf(const fs::path& p) {
#ifdef _WIN32
  HANDLE h = CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return known ? (uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) : 0;
#else
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
#endif
}

}  // namespace

const char* survivorName(Survivor s) {
  switch (s) {
    case Survivor::Everything: return "everything";
    case Survivor::Synced: return "synced";
    case Survivor::NamesOnly: return "names";
    case Survivor::DataOnly: return "data";
    case Survivor::Torn: return "torn";
  }
  return "?";
}

const char* syncModelName(SyncModel m) {
  switch (m) {
    case SyncModel::FileByFile: return "file by file";
    case SyncModel::Ntfs: return "NTFS, no directory sync";
  }
  return "?";
}

PowerCutPlatform::PowerCutPlatform(fs::path root, std::vector<fs::path> otherVolumes)
    : ForwardingPlatform(platform()) {
  volumes_.push_back({std::move(root), {}, {}});
  for (fs::path& v : otherVolumes) volumes_.push_back({std::move(v), {}, {}});
  snapshotAll();
  previous_ = installPlatform(this);
}

PowerCutPlatform::~PowerCutPlatform() { installPlatform(previous_); }

bool PowerCutPlatform::alive() { return ++count_ < stopAt_ || stopAt_ == 0; }

int PowerCutPlatform::volumeOfHost(const fs::path& host) const {
  const fs::path p = host.lexically_normal();
  for (size_t k = 0; k < volumes_.size(); ++k) {
    const fs::path rel = p.lexically_relative(volumes_[k].root);
    if (!rel.empty() && *rel.begin() != "..") return static_cast<int>(k);
  }
  return -1;
}

int PowerCutPlatform::volumeOf(const char* p) {
#ifdef _WIN32
  // The Win32 back end's paths are its drives' own ("C:/T"), and its host
  // path is the same text: each test drive is a tree mapped to its folder
  // (temp_tree_win.cc), so a path's volume is the one whose root the
  // drive's root is.
  if (std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    const Inode drive = inodeOf(std::string(p, 2) + "\\");
    for (size_t k = 0; k < volumes_.size(); ++k) {
      if (drive != 0 && inodeOf(volumes_[k].root) == drive) return static_cast<int>(k);
    }
    return -1;
  }
#endif
  return volumeOfHost(inner().hostPath(p));
}

std::map<std::string, PowerCutPlatform::Inode> PowerCutPlatform::currentNames(const Volume& v) const {
  std::map<std::string, Inode> names;
  for (const auto& e : fs::recursive_directory_iterator(v.root)) {
    if (e.is_regular_file()) names[fs::relative(e.path(), v.root).string()] = inodeOf(e.path());
  }
  return names;
}

fs::path PowerCutPlatform::hostPathOf(Inode ino) const {
  for (const Volume& v : volumes_) {
    for (const auto& e : fs::recursive_directory_iterator(v.root)) {
      if (e.is_regular_file() && inodeOf(e.path()) == ino) return e.path();
    }
  }
  return {};
}

void PowerCutPlatform::snapshotAll() {
  data_.clear();
  times_.clear();
  for (Volume& v : volumes_) snapshotVolume(v);
}

// Everything on the volume as it stands now becomes durable.
void PowerCutPlatform::snapshotVolume(Volume& v) {
  v.names.clear();
  v.dirs.clear();
  for (const auto& e : fs::recursive_directory_iterator(v.root)) {
    const std::string rel = fs::relative(e.path(), v.root).string();
    if (e.is_directory()) {
      v.dirs.insert(rel);
    } else if (e.is_regular_file()) {
      const Inode ino = inodeOf(e.path());
      v.names[rel] = ino;
      data_[ino] = slurp(e.path());
      times_[ino] = fs::last_write_time(e.path());
    }
  }
}

// Every name and directory of the volume as it stands now becomes durable;
// contents keep their last synced state.
void PowerCutPlatform::snapshotNames(Volume& v) {
  v.names = currentNames(v);
  for (const auto& e : fs::recursive_directory_iterator(v.root)) {
    if (e.is_directory()) v.dirs.insert(fs::relative(e.path(), v.root).string());
  }
}

// The directory's entries as they stand now become its durable entries.
void PowerCutPlatform::snapshotDirectory(const fs::path& dir) {
  const int k = volumeOfHost(dir);
  if (k < 0) return;
  Volume& v = volumes_[static_cast<size_t>(k)];
  const std::string prefix = fs::relative(dir, v.root).string();
  auto inDir = [&](const std::string& rel) {
    return fs::path(rel).parent_path() == (prefix == "." ? fs::path() : fs::path(prefix));
  };
  for (auto it = v.names.begin(); it != v.names.end();) {
    it = inDir(it->first) ? v.names.erase(it) : std::next(it);
  }
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) v.names[fs::relative(e.path(), v.root).string()] = inodeOf(e.path());
  }
}

void PowerCutPlatform::cut(Survivor s) {
  // Every volume's state is worked out before any is rebuilt.
  std::vector<std::map<std::string, std::string>> contents(volumes_.size());
  std::vector<std::map<std::string, fs::file_time_type>> times(volumes_.size());
  std::vector<std::map<std::string, Inode>> kept(volumes_.size());
  for (size_t k = 0; k < volumes_.size(); ++k) {
    kept[k] = s == Survivor::Everything || s == Survivor::NamesOnly || s == Survivor::Torn
                  ? currentNames(volumes_[k])
                  : volumes_[k].names;
    for (const auto& [rel, ino] : kept[k]) {
      const bool current = s == Survivor::Everything || s == Survivor::DataOnly;
      fs::path now = current ? hostPathOf(ino) : fs::path();
      auto d = data_.find(ino);
      const std::string durable = d == data_.end() ? std::string() : d->second;
      std::string latest = now.empty() ? durable : slurp(now);
      // NTFS logs a file's length with the names, in order: without the
      // later names only bytes rewritten in place can have reached the disk.
      const bool lengthLogged = model_ == SyncModel::Ntfs && s == Survivor::DataOnly;
      contents[k][rel] =
          lengthLogged && latest.size() != durable.size() ? durable : std::move(latest);
      if (s == Survivor::Torn) {
        // An append is torn half-way; a rewrite keeps what was synced.
        const fs::path live = hostPathOf(ino);
        const std::string bytes = live.empty() ? durable : slurp(live);
        contents[k][rel] = bytes.starts_with(durable)
                               ? bytes.substr(0, durable.size() + (bytes.size() - durable.size()) / 2)
                               : durable;
      }
      // An inode keeps its last-write time, whichever of its states survives.
      fs::path alive = hostPathOf(ino);
      if (!alive.empty()) {
        times[k][rel] = fs::last_write_time(alive);
      } else if (times_.count(ino)) {
        times[k][rel] = times_[ino];
      }
    }
  }
  // A process that died loses no directory either, even one made since the
  // last sync (an empty one has no file to bring it back).
  if (s == Survivor::Everything) {
    for (Volume& v : volumes_) snapshotNames(v);
  }
  for (size_t k = 0; k < volumes_.size(); ++k) {
    const fs::path& root = volumes_[k].root;
    makeWritable(root);
    for (const auto& e : fs::directory_iterator(root)) fs::remove_all(e.path());
    for (const std::string& d : volumes_[k].dirs) fs::create_directories(root / d);
    std::map<Inode, fs::path> made;  // two names of one file stay one file
    for (const auto& [rel, bytes] : contents[k]) {
      fs::create_directories((root / rel).parent_path());
      const Inode ino = kept[k][rel];
      if (made.count(ino)) {
        fs::create_hard_link(made[ino], root / rel);
        continue;
      }
      made[ino] = root / rel;
      std::ofstream(root / rel, std::ios::binary) << bytes;
      if (times[k].count(rel)) fs::last_write_time(root / rel, times[k][rel]);
    }
  }
  stopAt_ = 0;
  snapshotAll();
}

FileHandle* PowerCutPlatform::openFile(const char* p, OpenMode m) {
  if (m != OpenMode::Read && !alive()) {
    setLastError(kErrorGenFailure);
    return nullptr;
  }
  FileHandle* f = inner().openFile(p, m);
  if (f) open_[f] = p;
  return f;
}

long PowerCutPlatform::writeFile(FileHandle* f, const void* b, size_t n) {
  return alive() ? inner().writeFile(f, b, n) : -1;
}

bool PowerCutPlatform::truncateFile(FileHandle* f, uint64_t s) {
  return alive() && inner().truncateFile(f, s);
}

bool PowerCutPlatform::syncFile(FileHandle* f) {
  if (!alive() || !inner().syncFile(f)) return false;
  fileFlushed(open_[f]);
  return true;
}

// The file's contents as they stand become durable.
void PowerCutPlatform::fileFlushed(const std::string& p) {
  FileIdentity id;
  if (!inner().fileIdentity(p.c_str(), id)) return;  // gone: nothing was flushed
  fs::path host = hostPathOf(id.index);
  if (!host.empty()) data_[id.index] = slurp(host);
  // The log it forces holds every name change so far on its volume, in order.
  if (model_ == SyncModel::Ntfs) {
    const int k = volumeOf(p.c_str());
    if (k >= 0) snapshotNames(volumes_[static_cast<size_t>(k)]);
  }
}

bool PowerCutPlatform::closeFile(FileHandle* f) {
  open_.erase(f);
  return inner().closeFile(f);
}

bool PowerCutPlatform::createDirectory(const char* p) {
  return alive() && inner().createDirectory(p);
}
bool PowerCutPlatform::removeDirectory(const char* p) {
  return alive() && inner().removeDirectory(p);
}
bool PowerCutPlatform::deleteFile(const char* p) { return alive() && inner().deleteFile(p); }
bool PowerCutPlatform::moveFile(const char* a, const char* b) {
  if (volumeOf(a) != volumeOf(b)) return copyThenDelete(a, b);
  return alive() && inner().moveFile(a, b);
}

// A second name is a name change like any other: durable with its directory.
bool PowerCutPlatform::linkFile(const char* a, const char* b) {
  return alive() && inner().linkFile(a, b);
}

bool PowerCutPlatform::replaceFile(const char* a, const char* b) {
  if (!alive()) return false;
  if (volumeOf(a) == volumeOf(b)) return inner().replaceFile(a, b);
  setLastError(kErrorNotSameDevice);
  return false;
}

// A move onto another volume: the bytes written under the new name in two
// writes (a cut may fall between them), then the old name deleted, each an
// operation of its own and durable only by its own volume's syncs.
bool PowerCutPlatform::copyThenDelete(const char* a, const char* b) {
  const std::string bytes = slurp(inner().hostPath(a));
  FileHandle* f = openFile(b, OpenMode::CreateNew);
  if (!f) return false;
  const size_t half = bytes.size() / 2;
  const bool written = writeFile(f, bytes.data(), half) == static_cast<long>(half) &&
                       writeFile(f, bytes.data() + half, bytes.size() - half) ==
                           static_cast<long>(bytes.size() - half);
  closeFile(f);
  return written && deleteFile(a);
}

bool PowerCutPlatform::syncDirectory(const char* p) {
  if (!alive() || !inner().syncDirectory(p)) return false;
  directoryFlushed(p);
  return true;
}

// The directory's entries as they stand become durable.
void PowerCutPlatform::directoryFlushed(const char* p) {
  if (model_ == SyncModel::Ntfs) return;  // answers, flushes nothing
  FileIdentity id;
  if (!inner().fileIdentity(p, id)) return;
  for (const Volume& v : volumes_) {
    for (const auto& e : fs::recursive_directory_iterator(v.root)) {
      if (e.is_directory() && inodeOf(e.path()) == id.index) snapshotDirectory(e.path());
    }
    if (inodeOf(v.root) == id.index) snapshotDirectory(v.root);
  }
}

// Only the paths named reach the medium, one at a time: the files (the
// system flushes them in no set order; the model takes the order given),
// then the directories in the order given.
bool PowerCutPlatform::makeDurable(const std::vector<std::string>& f,
                                   const std::vector<std::string>& d) {
  // The files are flushed side by side, so a cut may leave any of them
  // unflushed: by turns with the cut point, a barrier goes through them
  // backwards, so that the sweep's cuts leave the last ones flushed as well
  // as the first.
  const bool backwards = (++barriers_ + stopAt_) % 2 == 0;
  for (size_t i = 0; i < f.size(); ++i) {
    const std::string& p = f[backwards ? f.size() - 1 - i : i];
    if (!alive() || !inner().makeDurable({p}, {})) return false;
    fileFlushed(p);
  }
  for (const std::string& p : d) {
    if (!alive() || !inner().makeDurable({}, {p})) return false;
    directoryFlushed(p.c_str());
  }
  return true;
}

bool PowerCutPlatform::fileIdentity(const char* p, FileIdentity& id) {
  if (!inner().fileIdentity(p, id)) return false;
  const int k = volumeOf(p);
  if (k > 0) id.volume += static_cast<uint64_t>(k) << 48;
  return true;
}

}  // namespace torvex::testing
