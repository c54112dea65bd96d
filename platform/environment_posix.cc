#include "platform/environment_posix.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

#include "platform/dir_cache_posix.h"
#include "platform/platform_posix.h"
#include "platform/prefix_cache_posix.h"

namespace torvex::posix {
namespace {

std::mutex gMutex;
std::shared_ptr<const Environment> gCurrent;

// Records the first malformed variable; later ones are still read, so that
// each fault is seen once the first is mended.
void complain(Environment& env, const char* name, std::string_view entry, const char* expected) {
  if (!env.problem.empty()) return;
  env.problem = std::string(name) + ": '" + std::string(entry) + "' is not " + expected;
}

// "C=/srv/c;D=/mnt/d". An empty item (a stray ';') is no mapping; a malformed
// one maps nothing, so its drive does not exist.
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
    if (item.empty()) continue;
    char letter = item[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (item.size() < 3 || item[1] != '=' || item[2] != '/' || letter < 'A' || letter > 'Z') {
      complain(env, "TORVEX_DRIVES", item, "LETTER=/ABSOLUTE/DIRECTORY");
      continue;
    }
    std::string& drive = env.drives[letter - 'A' + 1];
    if (!drive.empty()) {
      complain(env, "TORVEX_DRIVES", item, "the only mapping of its letter");
      continue;
    }
    drive = item.substr(2);
    while (drive.size() > 1 && drive.back() == '/') drive.pop_back();
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

// An empty value counts as unset, as `NAME= command` in a shell means.
const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// Decimal digits and nothing else.
bool wholeNumber(std::string_view text, uint32_t& number) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

void readVersion(Environment& env) {
  const char* value = variable("TORVEX_WINVER");
  if (!value) return;
  const std::string_view text = value;
  const size_t dot = text.find('.');
  uint32_t id = 0, major = 0;
  if (text == "fail") {
    env.versionFails = true;
  } else if (dot != std::string_view::npos && wholeNumber(text.substr(0, dot), id) &&
             wholeNumber(text.substr(dot + 1), major)) {
    env.platformId = id;
    env.majorVersion = major;
  } else {
    env.versionFails = true;
    complain(env, "TORVEX_WINVER", value, "PLATFORMID.MAJOR (such as 2.5) or fail");
  }
}

bool validTime(const LocalTime& t) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  return t.year >= 1601 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= kDays[t.month - 1] - (t.month == 2 && !leap) && t.hour <= 23 &&
         t.minute <= 59 && t.second <= 59;
}

void readNow(Environment& env) {
  const char* value = variable("TORVEX_NOW");
  if (!value) return;
  LocalTime t;
  // Digits exactly where the pattern has them: sscanf alone would take signs
  // and spaces.
  constexpr std::string_view kShape = "0000-00-00T00:00:00";
  bool shaped = std::strlen(value) == kShape.size();
  for (size_t i = 0; shaped && i < kShape.size(); ++i) {
    shaped = kShape[i] == '0' ? std::isdigit(static_cast<unsigned char>(value[i])) != 0
                              : value[i] == kShape[i];
  }
  if (shaped &&
      std::sscanf(value, "%4d-%2d-%2dT%2d:%2d:%2d", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second) == 6 &&
      validTime(t)) {
    env.fixedNow = true;
    env.now = t;
  } else {
    complain(env, "TORVEX_NOW", value,
             "a local time YYYY-MM-DDTHH:MM:SS (such as 2003-02-01T04:05:06)");
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

std::string environmentProblem() { return posix::environment()->problem; }

void reloadEnvironment() {
  {
    std::lock_guard lock(posix::gMutex);
    posix::gCurrent = posix::readAll();
  }
  posix::dirCache().clear();
  posix::prefixCache().clear();
}

}  // namespace torvex
