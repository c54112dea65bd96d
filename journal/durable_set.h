// The files and directories changed since the last barrier of a plan, and
// the one step that makes them all durable: a flush of those files and then
// of those directories, and of nothing else on their volumes.

#pragma once

#include <map>
#include <set>
#include <string>

namespace torvex {

class DurableSet {
 public:
  void file(const std::string& path);       // contents changed, maybe a new name
  void arrival(const std::string& path);   // a name created or renamed to
  void departure(const std::string& path);  // a name removed or renamed from

  // True when everything noted is on the medium; the set is empty afterwards.
  bool flush();

 private:
  struct Directory {
    std::set<std::string> files;  // changed contents
    bool arrivals = false;
  };
  // A directory a file moved into is synced before the one it left, so a
  // power cut between the two keeps it under both names, never under none.
  std::map<std::string, Directory> dirs_;
};

}  // namespace torvex
