#include "platform/environment_posix.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/dir_cache_posix.h"
#include "platform/platform_posix.h"
#include "platform/prefix_cache_posix.h"

namespace torvex::posix {
namespace {

std::mutex gMutex;
std::shared_ptr<const Environment> gCurrent;

// "C=/srv/c;D=/mnt/d"; entries that are not LETTER=ABSOLUTE-PATH are ignored.
void readDrives(Environment& env) {
  const char* value = std::getenv("TORVEX_DRIVES");
  if (!value) {
    env.drives['Z' - 'A' + 1] = "/";
    return;
  }
  std::string_view rest = value;
  while (!rest.empty()) {
    size_t end = rest.find(';');
    std::string_view item = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (item.size() < 3 || item[1] != '=' || item[2] != '/') continue;
    char letter = item[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') continue;
    std::string dir(item.substr(2));
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    env.drives[letter - 'A' + 1] = dir;
  }
}

void readRegistryPath(Environment& env) {
  if (const char* value = std::getenv("TORVEX_REGISTRY"); value && *value) {
    env.registryPath = value;
    return;
  }
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    env.registryPath = std::string(xdg) + "/torvex/registry.reg";
  } else {
    const char* home = std::getenv("HOME");
    env.registryPath = std::string(home && *home ? home : "") + "/.config/torvex/registry.reg";
  }
}

void readVersion(Environment& env) {
  const char* value = std::getenv("TORVEX_WINVER");
  if (!value) return;
  unsigned id = 0, major = 0;
  char extra = 0;
  if (std::sscanf(value, "%u.%u%c", &id, &major, &extra) == 2) {
    env.platformId = id;
    env.majorVersion = major;
  } else {
    env.versionFails = true;  // "fail" or anything unreadable
  }
}

void readNow(Environment& env) {
  const char* value = std::getenv("TORVEX_NOW");
  if (!value) return;
  LocalTime t;
  char extra = 0;
  if (std::sscanf(value, "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &extra) == 6) {
    env.fixedNow = true;
    env.now = t;
  }
}

std::shared_ptr<const Environment> readAll() {
  auto env = std::make_shared<Environment>();
  readDrives(*env);
  readRegistryPath(*env);
  readVersion(*env);
  readNow(*env);
  return env;
}

}  // namespace

std::shared_ptr<const Environment> environment() {
  std::lock_guard lock(gMutex);
  if (!gCurrent) gCurrent = readAll();
  return gCurrent;
}

}  // namespace torvex::posix

namespace torvex {

void reloadEnvironment() {
  {
    std::lock_guard lock(posix::gMutex);
    posix::gCurrent = posix::readAll();
  }
  posix::dirCache().clear();
  posix::prefixCache().clear();
}

}  // namespace torvex
