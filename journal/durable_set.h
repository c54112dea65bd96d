// The files and directories changed since the last barrier of a plan, and
// the one step that makes them all durable: one syncfs per volume where the
// system has it, else a sync of each file and then of each directory.
#pragma once

#include <map>
#include <set>
#include <string>

namespace torvex {

class DurableSet {
 public:
  void file(const std::string& path);       // contents changed (its directory too)
  void entryIn(const std::string& path);    // a name created, renamed or removed
  void directory(const std::string& path);  // the directory itself changed

  // True when everything noted is on the medium; the set is empty afterwards.
  bool flush();
  bool empty() const { return dirs_.empty(); }

 private:
  std::map<std::string, std::set<std::string>> dirs_;  // directory -> changed files in it
};

}  // namespace torvex
