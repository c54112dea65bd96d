#include "journal/durable_set.h"

#include <vector>

#include "platform/platform.h"

namespace torvex {
namespace {

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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
  std::vector<std::string> files, directories;
  for (const auto& [dir, d] : dirs_) files.insert(files.end(), d.files.begin(), d.files.end());
  for (bool arrivals : {true, false}) {
    for (const auto& [dir, d] : dirs_) {
      if (d.arrivals == arrivals) directories.push_back(dir);
    }
  }
  dirs_.clear();
  // A file renamed or deleted since it was noted, or a directory removed,
  // needs nothing: the platform passes over what is gone.
  return platform().makeDurable(files, directories);
}

}  // namespace torvex
