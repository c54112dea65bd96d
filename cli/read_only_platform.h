// A platform wrapper that lets reads through and refuses every operation that
// would change a file, a directory, the registry or the current drive, or run
// a program that might. The
// status report runs under it, so being read-only is enforced where the OS
// is reached, not just intended by the code above.
#pragma once

#include "platform/platform.h"

namespace torvex::cli {

class ReadOnlyPlatform : public ForwardingPlatform {
 public:
  // Installs itself over the live platform until destroyed.
  ReadOnlyPlatform();
  ~ReadOnlyPlatform() override;
  ReadOnlyPlatform(const ReadOnlyPlatform&) = delete;
  ReadOnlyPlatform& operator=(const ReadOnlyPlatform&) = delete;

  // How many changes were refused: anything but 0 is a fault of the caller.
  long refused() const { return refused_; }

  FileHandle* openFile(const char* path, OpenMode mode) override;
  long writeFile(FileHandle*, const void*, size_t) override { return refuse(-1L); }
  bool truncateFile(FileHandle*, uint64_t) override { return refuse(false); }
  bool syncFile(FileHandle*) override { return refuse(false); }
  bool createDirectory(const char*) override { return refuse(false); }
  bool removeDirectory(const char*) override { return refuse(false); }
  bool deleteFile(const char*) override { return refuse(false); }
  bool moveFile(const char*, const char*) override { return refuse(false); }
  bool replaceFile(const char*, const char*) override { return refuse(false); }
  bool linkFile(const char*, const char*) override { return refuse(false); }
  bool syncDirectory(const char*) override { return refuse(false); }
  bool makeDurable(const std::vector<std::string>&, const std::vector<std::string>&) override {
    return refuse(false);
  }
  bool setCurrentDrive(int) override { return refuse(false); }
  bool registryCreateKey(RegistryHive, const char*) override { return refuse(false); }
  bool registrySetValue(RegistryHive, const char*, const char*, const std::string&) override {
    return refuse(false);
  }
  bool registryDeleteTree(RegistryHive, const char*) override { return refuse(false); }
  bool registryDeleteValue(RegistryHive, const char*, const char*) override {
    return refuse(false);
  }
  bool createScratchDirectory(char, ScratchDirectory&) override { return refuse(false); }
  bool removeScratchDirectory(const ScratchDirectory&) override { return refuse(false); }
  int runCommand(const char*) override { return refuse(-1); }

 private:
  template <typename T>
  T refuse(T result) {
    ++refused_;
    setLastError(kErrorAccessDenied);
    return result;
  }
  Platform* previous_;
  long refused_ = 0;
};

}  // namespace torvex::cli
