#include "tests/support/child_process.h"

#include <cstdlib>
#include <cstring>

#ifndef _WIN32
extern char** environ;
#endif

namespace torvex::testing {

namespace {

char** currentEnvironment() {
#ifdef _WIN32
  return _environ;
#else
  return environ;
#endif
}

// Whether `entry` sets the variable that `change` sets: Windows' names
// ignore case.
bool sameName(const std::string& entry, const std::string& change) {
  const size_t length = change.find('=') + 1;
  if (entry.size() < length) return false;
#ifdef _WIN32
  return _strnicmp(entry.c_str(), change.c_str(), length) == 0;
#else
  return std::strncmp(entry.c_str(), change.c_str(), length) == 0;
#endif
}

}  // namespace

std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
  std::vector<std::string> entries;
  for (char** e = currentEnvironment(); e != nullptr && *e != nullptr; ++e) {
    bool replaced = false;
    for (const std::string& change : changes) replaced |= sameName(*e, change);
    if (!replaced) entries.emplace_back(*e);
  }
  entries.insert(entries.end(), changes.begin(), changes.end());
  return entries;
}

}  // namespace torvex::testing
