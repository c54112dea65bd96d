#include "platform/file.h"

namespace torvex {

std::string spelledAsFound(const std::string& dir, std::string_view relative) {
  std::string out = dir;
  bool found = true;
  while (!relative.empty()) {
    const size_t slash = relative.find('/');
    const std::string_view name = relative.substr(0, slash);
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
    if (name.empty()) continue;
    out.push_back('/');
    // A wildcard would make the search a pattern, not a name.
    if (found && name.find_first_of("*?") == std::string_view::npos) {
      DirSearch search((out + std::string(name)).c_str());
      found = search.found() && (search.entry().attributes & kAttrDirectory);
      if (found) {
        out += search.entry().name;
        continue;
      }
    }
    found = false;
    out.append(name);
  }
  return out;
}

}  // namespace torvex
