#include "tests/support/power_cut_platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <fstream>
#include <sstream>

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
  }
  return "?";
}

const char* syncModelName(SyncModel m) {
  switch (m) {
    case SyncModel::WholeFileSystem: return "one sync per volume";
    case SyncModel::FileByFile: return "file by file";
    case SyncModel::Ntfs: return "NTFS, no directory sync";
  }
  return "?";
}

PowerCutPlatform::PowerCutPlatform(fs::path root)
    : ForwardingPlatform(platform()), root_(std::move(root)) {
  snapshotAll();
  previous_ = installPlatform(this);
}

PowerCutPlatform::~PowerCutPlatform() { installPlatform(previous_); }

bool PowerCutPlatform::alive() { return ++count_ < stopAt_ || stopAt_ == 0; }

std::map<std::string, PowerCutPlatform::Inode> PowerCutPlatform::currentNames() const {
  std::map<std::string, Inode> names;
  for (const auto& e : fs::recursive_directory_iterator(root_)) {
    if (e.is_regular_file()) names[fs::relative(e.path(), root_).string()] = inodeOf(e.path());
  }
  return names;
}

fs::path PowerCutPlatform::hostPathOf(Inode ino) const {
  for (const auto& e : fs::recursive_directory_iterator(root_)) {
    if (e.is_regular_file() && inodeOf(e.path()) == ino) return e.path();
  }
  return {};
}

void PowerCutPlatform::snapshotAll() {
  names_.clear();
  data_.clear();
  times_.clear();
  dirs_.clear();
  for (const auto& e : fs::recursive_directory_iterator(root_)) {
    const std::string rel = fs::relative(e.path(), root_).string();
    if (e.is_directory()) {
      dirs_.insert(rel);
    } else if (e.is_regular_file()) {
      names_[rel] = inodeOf(e.path());
      data_[names_[rel]] = slurp(e.path());
      times_[names_[rel]] = fs::last_write_time(e.path());
    }
  }
}

// Every name and directory as it stands now becomes durable; contents keep
// their last synced state.
void PowerCutPlatform::snapshotNames() {
  names_ = currentNames();
  for (const auto& e : fs::recursive_directory_iterator(root_)) {
    if (e.is_directory()) dirs_.insert(fs::relative(e.path(), root_).string());
  }
}

// The directory's entries as they stand now become its durable entries.
void PowerCutPlatform::snapshotDirectory(const fs::path& dir) {
  const std::string prefix = fs::relative(dir, root_).string();
  auto inDir = [&](const std::string& rel) {
    return fs::path(rel).parent_path() == (prefix == "." ? fs::path() : fs::path(prefix));
  };
  for (auto it = names_.begin(); it != names_.end();) {
    it = inDir(it->first) ? names_.erase(it) : std::next(it);
  }
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) names_[fs::relative(e.path(), root_).string()] = inodeOf(e.path());
  }
}

void PowerCutPlatform::cut(Survivor s) {
  std::map<std::string, Inode> names = s == Survivor::Everything || s == Survivor::NamesOnly
                                           ? currentNames()
                                           : names_;
  std::map<std::string, std::string> contents;
  std::map<std::string, fs::file_time_type> times;
  for (const auto& [rel, ino] : names) {
    const bool current = s == Survivor::Everything || s == Survivor::DataOnly;
    fs::path now = current ? hostPathOf(ino) : fs::path();
    auto d = data_.find(ino);
    const std::string durable = d == data_.end() ? std::string() : d->second;
    std::string latest = now.empty() ? durable : slurp(now);
    // NTFS logs a file's length with the names, in order: without the
    // later names only bytes rewritten in place can have reached the disk.
    const bool lengthLogged = model_ == SyncModel::Ntfs && s == Survivor::DataOnly;
    contents[rel] = lengthLogged && latest.size() != durable.size() ? durable : std::move(latest);
    // An inode keeps its last-write time, whichever of its states survives.
    fs::path alive = hostPathOf(ino);
    if (!alive.empty()) {
      times[rel] = fs::last_write_time(alive);
    } else if (times_.count(ino)) {
      times[rel] = times_[ino];
    }
  }
  for (const auto& e : fs::directory_iterator(root_)) fs::remove_all(e.path());
  for (const std::string& d : dirs_) fs::create_directories(root_ / d);
  for (const auto& [rel, bytes] : contents) {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel, std::ios::binary) << bytes;
    if (times.count(rel)) fs::last_write_time(root_ / rel, times[rel]);
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
  FileIdentity id;
  if (inner().fileIdentity(open_[f].c_str(), id)) {
    fs::path host = hostPathOf(id.index);
    if (!host.empty()) data_[id.index] = slurp(host);
  }
  // The log it forces holds every name change so far, in order.
  if (model_ == SyncModel::Ntfs) snapshotNames();
  return true;
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
  return alive() && inner().moveFile(a, b);
}
bool PowerCutPlatform::replaceFile(const char* a, const char* b) {
  return alive() && inner().replaceFile(a, b);
}

bool PowerCutPlatform::syncDirectory(const char* p) {
  if (!alive() || !inner().syncDirectory(p)) return false;
  if (model_ == SyncModel::Ntfs) return true;  // answers, flushes nothing
  FileIdentity id;
  if (!inner().fileIdentity(p, id)) return true;
  for (const auto& e : fs::recursive_directory_iterator(root_)) {
    if (e.is_directory() && inodeOf(e.path()) == id.index) snapshotDirectory(e.path());
  }
  if (inodeOf(root_) == id.index) snapshotDirectory(root_);
  return true;
}

bool PowerCutPlatform::syncFileSystem(const char* p) {
  if (model_ != SyncModel::WholeFileSystem) {
    setLastError(kErrorInvalidParameter);
    return false;
  }
  if (!alive() || !inner().syncFileSystem(p)) return false;
  snapshotAll();
  return true;
}

}  // namespace torvex::testing
