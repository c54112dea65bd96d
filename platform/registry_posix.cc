// The registry as a .reg file (TORVEX_REGISTRY). Every call reads the file
// afresh, so edits made by hand are seen at once; every write replaces the
// file atomically (temporary file, flush, fsync, rename).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>

#include "platform/environment_posix.h"
#include "platform/path_posix.h"
#include "platform/posix_backend.h"
#include "platform/registry_file.h"

namespace torvex::posix {
namespace {

// A value longer than this does not fit the 256-byte buffer readers use.
constexpr size_t kMaxValueLength = 255;

std::mutex gRegistryMutex;

std::string_view hiveName(RegistryHive hive) {
  return hive == RegistryHive::ClassesRoot ? "HKEY_CLASSES_ROOT" : "HKEY_LOCAL_MACHINE";
}

// Reads the whole file; a missing file is an empty registry.
uint32_t load(const std::string& path, registry::RegistryFile& out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      out = registry::RegistryFile{};
      return 0;
    }
    return win32Error(errno);
  }
  std::string bytes;
  char buf[8192];
  for (;;) {
    ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      uint32_t err = win32Error(errno);
      close(fd);
      return err;
    }
    if (got == 0) break;
    bytes.append(buf, static_cast<size_t>(got));
  }
  close(fd);
  out = registry::RegistryFile::parse(bytes);
  return 0;
}

uint32_t makeParents(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string dir = path.substr(0, slash);
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return win32Error(errno);
  }
  return 0;
}

uint32_t save(const std::string& path, const registry::RegistryFile& file) {
  if (uint32_t err = makeParents(path)) return err;
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return win32Error(errno);
  const std::string text = file.serialize();
  uint32_t err = 0;
  for (size_t done = 0; done < text.size() && err == 0;) {
    ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) err = put < 0 ? win32Error(errno) : kErrorDiskFull;
    else done += static_cast<size_t>(put);
  }
  if (err == 0 && (fchmod(fd, 0644) != 0 || fsync(fd) != 0)) err = win32Error(errno);
  if (close(fd) != 0 && err == 0) err = win32Error(errno);
  if (err == 0 && rename(temp.c_str(), path.c_str()) != 0) err = win32Error(errno);
  if (err) {
    unlink(temp.c_str());
    return err;
  }
  std::string dir = path.substr(0, path.find_last_of('/') + 1);
  if (int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return 0;
}

// Runs `change` on the loaded registry and writes it back when it says so.
template <typename Change>
bool update(Change change) {
  std::lock_guard lock(gRegistryMutex);
  const std::string path = environment()->registryPath;
  registry::RegistryFile file;
  if (uint32_t err = load(path, file)) return fail(err);
  uint32_t result = 0;
  if (!change(file, result)) return result == 0 ? true : fail(result);
  if (uint32_t err = save(path, file)) return fail(err);
  return true;
}

}  // namespace

bool PosixPlatform::registryRead(RegistryHive hive, const char* key, const char* value,
                                 std::string& data) {
  if (!key) return fail(kErrorInvalidParameter);
  std::lock_guard lock(gRegistryMutex);
  registry::RegistryFile file;
  if (uint32_t err = load(environment()->registryPath, file)) return fail(err);
  registry::Key* k = file.find(registry::fullPath(hiveName(hive), key));
  if (!k) return fail(kErrorFileNotFound);
  registry::Value* v = k->findValue(value ? value : "");
  if (!v) return fail(kErrorFileNotFound);
  if (!v->isString) return fail(kErrorInvalidParameter);
  if (v->data.size() > kMaxValueLength) return fail(kErrorMoreData);
  data = v->data;
  return true;
}

bool PosixPlatform::registryCreateKey(RegistryHive hive, const char* key) {
  if (!key) return fail(kErrorInvalidParameter);
  const std::string path = registry::fullPath(hiveName(hive), key);
  return update([&](registry::RegistryFile& file, uint32_t&) {
    if (file.find(path)) return false;
    file.create(path);
    return true;
  });
}

bool PosixPlatform::registrySetValue(RegistryHive hive, const char* key, const char* value,
                                     const std::string& data) {
  if (!key) return fail(kErrorInvalidParameter);
  const std::string path = registry::fullPath(hiveName(hive), key);
  const std::string name = value ? value : "";
  return update([&](registry::RegistryFile& file, uint32_t&) {
    registry::Key& k = file.create(path);
    registry::Value* v = k.findValue(name);
    if (!v) v = &k.values.emplace_back(registry::Value{name, {}, true, {}});
    v->data = data;
    v->isString = true;
    v->raw.clear();
    return true;
  });
}

bool PosixPlatform::registryDeleteTree(RegistryHive hive, const char* key) {
  if (!key) return fail(kErrorInvalidParameter);
  const std::string path = registry::fullPath(hiveName(hive), key);
  return update([&](registry::RegistryFile& file, uint32_t&) {
    if (!file.find(path)) return false;  // already gone
    file.removeTree(path);
    return true;
  });
}

bool PosixPlatform::registryDeleteValue(RegistryHive hive, const char* key, const char* value) {
  if (!key) return fail(kErrorInvalidParameter);
  const std::string path = registry::fullPath(hiveName(hive), key);
  const std::string name = value ? value : "";
  return update([&](registry::RegistryFile& file, uint32_t& result) {
    registry::Key* k = file.find(path);
    registry::Value* v = k ? k->findValue(name) : nullptr;
    if (!v) {
      result = kErrorFileNotFound;
      return false;
    }
    k->values.erase(k->values.begin() + (v - k->values.data()));
    return true;
  });
}

bool PosixPlatform::registryKeyExists(RegistryHive hive, const char* key) {
  if (!key) return fail(kErrorInvalidParameter);
  std::lock_guard lock(gRegistryMutex);
  registry::RegistryFile file;
  if (uint32_t err = load(environment()->registryPath, file)) return fail(err);
  if (!file.find(registry::fullPath(hiveName(hive), key))) return fail(kErrorFileNotFound);
  return true;
}

}  // namespace torvex::posix
