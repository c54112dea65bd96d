// The POSIX back end: Windows semantics over a case-sensitive file system.
// Internal to platform/; the parts live in *_posix.cc files by topic.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace torvex::posix {

// Records failures for lastError(); returns the value to give back.
template <typename T>
T failWith(uint32_t code, T result) {
  setLastError(code);
  return result;
}
inline bool fail(uint32_t code) { return failWith(code, false); }

// GetFileAttributesA's answer for an entry.
uint32_t fileAttributesOf(const struct stat& st);

// Files open through this layer, so that deleting or renaming one fails with
// a sharing violation as it does on Windows (the C runtime opens files
// without FILE_SHARE_DELETE).
class OpenFiles {
 public:
  void add(dev_t dev, ino_t ino);
  void remove(dev_t dev, ino_t ino);
  bool contains(dev_t dev, ino_t ino);

 private:
  std::mutex mutex_;
  std::map<std::pair<dev_t, ino_t>, int> counts_;
};
OpenFiles& openFiles();

class PosixPlatform final : public Platform {
 public:
  uint32_t lastError() override;

  FileHandle* openFile(const char* path, OpenMode mode) override;
  long readFile(FileHandle* f, void* buf, size_t n) override;
  long writeFile(FileHandle* f, const void* buf, size_t n) override;
  bool seekFile(FileHandle* f, uint64_t offset) override;
  int64_t fileSize(FileHandle* f) override;
  bool truncateFile(FileHandle* f, uint64_t size) override;
  bool syncFile(FileHandle* f) override;
  bool closeFile(FileHandle* f) override;

  SearchHandle* findFirst(const char* pattern, DirEntry& first) override;
  bool findNext(SearchHandle* s, DirEntry& next) override;
  void findClose(SearchHandle* s) override;
  std::vector<std::string> unnamableEntries(const char* directory) override;

  uint32_t fileAttributes(const char* path) override;
  bool createDirectory(const char* path) override;
  bool removeDirectory(const char* path) override;
  bool deleteFile(const char* path) override;
  bool moveFile(const char* from, const char* to) override;
  bool replaceFile(const char* from, const char* to) override;
  bool linkFile(const char* from, const char* to) override;
  bool syncDirectory(const char* path) override;
  bool makeDurable(const std::vector<std::string>& files,
                   const std::vector<std::string>& directories) override;
  bool readOnlyVolume(const char* path) override;
  bool fileIdentity(const char* path, FileIdentity& id) override;
  OpenToAll writableByEveryone(const char* path) override;
  bool lockFile(FileHandle* f) override;

  bool setCurrentDrive(int drive) override;
  int currentDrive() override;

  int64_t utcNow() override;
  LocalTime localNow() override;
  LocalTime toLocalTime(int64_t utcSeconds) override;
  LocalTime fileTimeToLocal(int64_t utcSeconds) override;

  int wideToAnsi(const char16_t* wide, char* out, int capacity) override;
  int ansiToWide(const char* text, int n, char16_t* out, int capacity) override;

  bool registryRead(RegistryHive hive, const char* key, const char* value,
                    std::string& data) override;
  bool registryCreateKey(RegistryHive hive, const char* key) override;
  bool registrySetValue(RegistryHive hive, const char* key, const char* value,
                        const std::string& data) override;
  bool registryDeleteTree(RegistryHive hive, const char* key) override;
  bool registryDeleteValue(RegistryHive hive, const char* key, const char* value) override;
  bool registryKeyExists(RegistryHive hive, const char* key) override;

  bool osVersion(uint32_t& platformId, uint32_t& major) override;

  std::string modulePath(const void* address) override;
  std::string executablePath() override;
  ModuleHandle* loadModule(const char* path) override;
  void* moduleSymbol(ModuleHandle* module, const char* name) override;
  void unloadModule(ModuleHandle* module) override;

  LockHandle* createLock() override;
  void lock(LockHandle* l) override;
  void unlock(LockHandle* l) override;
  void destroyLock(LockHandle* l) override;

  bool createScratchDirectory(char letter, ScratchDirectory& out) override;
  bool removeScratchDirectory(const ScratchDirectory& dir) override;

  std::string hostPath(const char* path) override;
  int runCommand(const char* commandLine) override;

 private:
  std::mutex driveMutex_;
  int currentDrive_ = 0;
};

}  // namespace torvex::posix
