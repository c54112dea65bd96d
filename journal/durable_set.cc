#include "journal/durable_set.h"

#include <vector>

#include "platform/file.h"

namespace torvex {
namespace {

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A file renamed or deleted since it was noted needs nothing.
bool syncFileIfThere(const std::string& path) {
  if (!pathExists(path.c_str())) return true;
  // Read-write: Windows flushes a file only through a handle that may write it.
  File f(path.c_str(), OpenMode::ReadWrite);
  return f ? f.sync() && f.close() : !pathExists(path.c_str());
}

}  // namespace

void DurableSet::file(const std::string& path) {
  Directory& d = dirs_[directoryOf(path)];
  d.files.insert(path);
  d.arrivals = true;  // it may be new
}

void DurableSet::arrival(const std::string& path) { dirs_[directoryOf(path)].arrivals = true; }

void DurableSet::departure(const std::string& path) { dirs_[directoryOf(path)]; }

bool DurableSet::flush() {
  bool ok = true;
  std::vector<FileIdentity> synced;  // volumes flushed whole
  for (bool arrivals : {true, false}) {
    for (const auto& [dir, d] : dirs_) {
      if (d.arrivals != arrivals) continue;
      FileIdentity id;
      if (!platform().fileIdentity(dir.c_str(), id)) continue;  // gone: nothing of it to keep
      bool whole = false;
      for (const FileIdentity& v : synced) whole = whole || v.volume == id.volume;
      if (!whole && platform().syncFileSystem(dir.c_str())) {
        synced.push_back(id);
        whole = true;
      }
      if (whole) continue;
      for (const std::string& f : d.files) ok = syncFileIfThere(f) && ok;
      ok = platform().syncDirectory(dir.c_str()) && ok;
    }
  }
  dirs_.clear();
  return ok;
}

}  // namespace torvex
