// The one door to the operating system. Everything above this layer calls the
// OS only through Platform, so a back end (POSIX, Win32) can be swapped and a
// test can wrap the live instance to fail any single operation on purpose.
//
// Paths are 8-bit text in the ANSI code page, "/" or "\" separated, with or
// without a drive letter. Every back end answers with Windows semantics:
// names compared without regard to letter case, drive letters, the Win32
// wildcard rules of FindFirstFileA, Win32 error codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvex {

// File attribute bits, as GetFileAttributesA reports them.
enum : uint32_t {
  kAttrReadOnly = 0x1,
  kAttrHidden = 0x2,
  kAttrSystem = 0x4,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,  // a symbolic link or junction, not followed
};
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// Win32 error codes the back ends report through lastError().
enum : uint32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorNotSameDevice = 17,
  kErrorNoMoreFiles = 18,
  kErrorSharingViolation = 32,
  kErrorHandleDiskFull = 39,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInsufficientBuffer = 122,
  kErrorInvalidName = 123,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorMoreData = 234,
  kErrorDirectory = 267,
  kErrorGenFailure = 31,
  kErrorNoUnicodeTranslation = 1113,
};

// Broken-down local calendar time (month 1-12, year in four digits).
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// One directory entry as the search reports it. Times are seconds since
// 1970-01-01 UTC. The creation time is the file's birth time where the file
// system keeps one, else its last-write time.
struct DirEntry {
  std::string name;  // long name as stored, ANSI code page
  uint32_t attributes = 0;
  uint64_t size = 0;
  int64_t creationTime = 0;
  int64_t lastAccessTime = 0;
  int64_t lastWriteTime = 0;
};

enum class OpenMode {
  Read,       // existing file, from the start
  Write,      // create or truncate
  Append,     // create if missing; every write goes to the end
  ReadWrite,  // existing file, read and write from the start
  CreateNew,  // create; fails when the name exists
};

enum class RegistryHive { ClassesRoot, LocalMachine };

// Whether every local user may add files to a directory.
enum class OpenToAll { No, Yes, Unknown };

// Which file a path names once links are followed: the volume and the file's
// number on it. Two paths name one file when their identities are equal.
struct FileIdentity {
  uint64_t volume = 0, index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Opaque handles; only the back end that made one knows what is inside.
struct FileHandle;
struct SearchHandle;
struct ModuleHandle;  // a loaded library
struct LockHandle;    // a process-wide lock (ProcessLock in process_lock.h holds one)

// A fresh, empty directory on this machine for a demonstration run.
struct ScratchDirectory {
  std::string hostPath;   // where it lives on this machine
  std::string drivePath;  // how this layer names it, e.g. "T:"
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Win32 error code of the last failed call on this thread.
  virtual uint32_t lastError() = 0;

  // Files: raw bytes, no text translation (see text_file.h for text mode).
  virtual FileHandle* openFile(const char* path, OpenMode mode) = 0;  // null on failure
  virtual long readFile(FileHandle* f, void* buf, size_t n) = 0;  // bytes read, 0 at end, -1 error
  virtual long writeFile(FileHandle* f, const void* buf, size_t n) = 0;  // bytes written, -1 error
  virtual bool seekFile(FileHandle* f, uint64_t offset) = 0;
  virtual int64_t fileSize(FileHandle* f) = 0;  // -1 on failure
  virtual bool truncateFile(FileHandle* f, uint64_t size) = 0;
  virtual bool syncFile(FileHandle* f) = 0;  // flushed to the medium for good
  virtual bool closeFile(FileHandle* f) = 0;  // always releases the handle

  // Directory search, FindFirstFileA/FindNextFileA. findFirst returns null and
  // sets lastError when nothing matches or the search cannot run.
  virtual SearchHandle* findFirst(const char* pattern, DirEntry& first) = 0;
  virtual bool findNext(SearchHandle* s, DirEntry& next) = 0;  // false at the end
  virtual void findClose(SearchHandle* s) = 0;
  // The entries of a directory that the search leaves out because this layer
  // cannot name them exactly (outside the ANSI code page, or a name by which
  // Win32 would reach another file or none), for an operator to read: UTF-8
  // on Windows, the bytes as stored on POSIX. Every call takes them for
  // absent; empty when the directory cannot be read.
  virtual std::vector<std::string> unnamableEntries(const char* directory) = 0;

  // Path operations.
  virtual uint32_t fileAttributes(const char* path) = 0;  // kInvalidAttributes when absent
  virtual bool createDirectory(const char* path) = 0;
  virtual bool removeDirectory(const char* path) = 0;
  virtual bool deleteFile(const char* path) = 0;  // one file: no directory, no wildcard
  virtual bool moveFile(const char* from, const char* to) = 0;  // fails when `to` exists
  virtual bool replaceFile(const char* from, const char* to) = 0;  // MoveFileEx REPLACE_EXISTING
  // A second name `to` for the existing file `from` on its volume (link,
  // CreateHardLinkW); false where the file system has none, or `to` exists.
  virtual bool linkFile(const char* from, const char* to) = 0;
  virtual bool syncDirectory(const char* path) = 0;  // makes renames and creations durable
  // One barrier: the contents of every file in `files`, then the entries of
  // each of `directories` in the order given, reach the medium. Only these
  // are waited for, never other programs' writes on the volume; the files
  // are flushed together where the system allows. A path that no longer
  // names anything is passed over: nothing of it is left to keep. False
  // when any flush failed (lastError tells the first failure).
  virtual bool makeDurable(const std::vector<std::string>& files,
                           const std::vector<std::string>& directories) = 0;
  virtual bool fileIdentity(const char* path, FileIdentity& id) = 0;  // false when absent
  // Whether any local user may create files in the directory: its DACL lets
  // Everyone, Users or Authenticated Users add files or change the DACL
  // (Win32; a null DACL lets everyone), or its mode lets others write
  // (POSIX). Unknown, with lastError set, when that cannot be read.
  virtual OpenToAll writableByEveryone(const char* path) = 0;
  // True when the volume that holds `path` takes no change at all (a
  // read-only mount or medium); false otherwise, and when it cannot be told.
  virtual bool readOnlyVolume(const char* path) = 0;
  // Waits for the exclusive lock of an open file (flock, LockFileEx). It is
  // held until the handle is closed; the system drops it when the process ends.
  virtual bool lockFile(FileHandle* f) = 0;

  // Drives: 1 = A ... 26 = Z.
  virtual bool setCurrentDrive(int drive) = 0;
  virtual int currentDrive() = 0;  // 0 when the current directory is on no drive

  // Clock and calendar.
  virtual int64_t utcNow() = 0;  // seconds since 1970-01-01 UTC
  virtual LocalTime localNow() = 0;
  // CRT localtime: the zone offset in force at that moment.
  virtual LocalTime toLocalTime(int64_t utcSeconds) = 0;
  // FileTimeToLocalFileTime: the zone offset in force now, whatever the date.
  virtual LocalTime fileTimeToLocal(int64_t utcSeconds) = 0;

  // Code pages. Only exact conversions: a text that has no exact form in the
  // other encoding fails (ERROR_NO_UNICODE_TRANSLATION) rather than taking a
  // best-fit look-alike or a default character, so that a name converted
  // one way and back names the same file, never another one.
  // wideToAnsi converts up to and including the string's first NUL (CP_ACP)
  // and returns the bytes written including the NUL, or 0 when it does not
  // fit or cannot convert. ansiToWide converts exactly n bytes (-1: up to and
  // including the NUL); with capacity 0 it only counts. On POSIX the ANSI
  // code page is UTF-8 and a byte that is not UTF-8 becomes U+DC80 + byte,
  // so every name on disk survives the round trip.
  virtual int wideToAnsi(const char16_t* wide, char* out, int capacity) = 0;
  virtual int ansiToWide(const char* text, int n, char16_t* out, int capacity) = 0;

  // Registry, string values only. A null value name is the key's default.
  virtual bool registryRead(RegistryHive hive, const char* key, const char* value,
                            std::string& data) = 0;
  virtual bool registryCreateKey(RegistryHive hive, const char* key) = 0;
  virtual bool registrySetValue(RegistryHive hive, const char* key, const char* value,
                                const std::string& data) = 0;
  virtual bool registryDeleteTree(RegistryHive hive, const char* key) = 0;  // true if it is gone
  virtual bool registryDeleteValue(RegistryHive hive, const char* key, const char* value) = 0;
  virtual bool registryKeyExists(RegistryHive hive, const char* key) = 0;

  // GetVersionExA: platform identifier and major version; false when it fails.
  virtual bool osVersion(uint32_t& platformId, uint32_t& major) = 0;

  // Modules. Paths are full and real: the long form, not an 8.3 alias, links
  // resolved; empty when unknown.
  virtual std::string modulePath(const void* address) = 0;  // the module holding `address`
  virtual std::string executablePath() = 0;
  // The library that the full path names (callers never pass a bare name,
  // which a search path would resolve); null on failure, which no dialog
  // announces.
  virtual ModuleHandle* loadModule(const char* path) = 0;
  virtual void* moduleSymbol(ModuleHandle* module, const char* name) = 0;  // null when missing
  virtual void unloadModule(ModuleHandle* module) = 0;

  // Process-wide locks, shared by every thread whatever its apartment.
  virtual LockHandle* createLock() = 0;
  virtual void lock(LockHandle* l) = 0;
  virtual void unlock(LockHandle* l) = 0;
  virtual void destroyLock(LockHandle* l) = 0;

  // A scratch directory under the system's temporary area. Where drive
  // letters are simulated (POSIX) it becomes drive `letter` of this process,
  // replacing any mapping of that letter; on Windows it keeps its own drive.
  virtual bool createScratchDirectory(char letter, ScratchDirectory& out) = 0;
  // Removes it and everything below it, without following links.
  virtual bool removeScratchDirectory(const ScratchDirectory& dir) = 0;

  // Where a path of this layer lives on this machine, for another program:
  // the drive mapping applied where drives are simulated, else the path.
  virtual std::string hostPath(const char* path) = 0;
  // Runs a command line through the system's shell; its exit status as
  // std::system reports it.
  virtual int runCommand(const char* commandLine) = 0;
};

// The live instance. installPlatform swaps it (tests wrap the live one) and
// returns the previous one; null restores the back end of this build.
Platform& platform();
Platform* installPlatform(Platform* p);

// The back end compiled into this build (POSIX or Win32).
Platform& nativePlatform();

// File name of this component's library as it is built on this platform.
const char* componentLibraryName();

// What is wrong with the environment that stands in for Windows, as one line
// naming the variable and its bad entry; empty when it is sound (always on
// Windows, which reads no such variables). The back end never uses a
// malformed entry: a drive so mapped does not exist, the version query fails,
// the clock is the host's. Commands refuse to run instead.
std::string environmentProblem();

// SetLastError: what lastError() of the back end reports next on this thread.
// Lets a wrapper that fails an operation on purpose leave a real error code.
void setLastError(uint32_t code);

// Forwards every operation to an inner platform: derive from it and override
// only what a wrapper changes.
class ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(Platform& inner) : inner_(inner) {}
  Platform& inner() { return inner_; }

  uint32_t lastError() override { return inner_.lastError(); }
  FileHandle* openFile(const char* p, OpenMode m) override { return inner_.openFile(p, m); }
  long readFile(FileHandle* f, void* b, size_t n) override { return inner_.readFile(f, b, n); }
  long writeFile(FileHandle* f, const void* b, size_t n) override {
    return inner_.writeFile(f, b, n);
  }
  bool seekFile(FileHandle* f, uint64_t o) override { return inner_.seekFile(f, o); }
  int64_t fileSize(FileHandle* f) override { return inner_.fileSize(f); }
  bool truncateFile(FileHandle* f, uint64_t s) override { return inner_.truncateFile(f, s); }
  bool syncFile(FileHandle* f) override { return inner_.syncFile(f); }
  bool closeFile(FileHandle* f) override { return inner_.closeFile(f); }
  SearchHandle* findFirst(const char* p, DirEntry& e) override { return inner_.findFirst(p, e); }
  bool findNext(SearchHandle* s, DirEntry& e) override { return inner_.findNext(s, e); }
  void findClose(SearchHandle* s) override { inner_.findClose(s); }
  std::vector<std::string> unnamableEntries(const char* d) override {
    return inner_.unnamableEntries(d);
  }
  uint32_t fileAttributes(const char* p) override { return inner_.fileAttributes(p); }
  bool createDirectory(const char* p) override { return inner_.createDirectory(p); }
  bool removeDirectory(const char* p) override { return inner_.removeDirectory(p); }
  bool deleteFile(const char* p) override { return inner_.deleteFile(p); }
  bool moveFile(const char* a, const char* b) override { return inner_.moveFile(a, b); }
  bool replaceFile(const char* a, const char* b) override { return inner_.replaceFile(a, b); }
  bool linkFile(const char* a, const char* b) override { return inner_.linkFile(a, b); }
  bool syncDirectory(const char* p) override { return inner_.syncDirectory(p); }
  bool makeDurable(const std::vector<std::string>& f, const std::vector<std::string>& d) override {
    return inner_.makeDurable(f, d);
  }
  bool fileIdentity(const char* p, FileIdentity& id) override {
    return inner_.fileIdentity(p, id);
  }
  OpenToAll writableByEveryone(const char* p) override { return inner_.writableByEveryone(p); }
  bool readOnlyVolume(const char* p) override { return inner_.readOnlyVolume(p); }
  bool lockFile(FileHandle* f) override { return inner_.lockFile(f); }
  bool setCurrentDrive(int d) override { return inner_.setCurrentDrive(d); }
  int currentDrive() override { return inner_.currentDrive(); }
  int64_t utcNow() override { return inner_.utcNow(); }
  LocalTime localNow() override { return inner_.localNow(); }
  LocalTime toLocalTime(int64_t t) override { return inner_.toLocalTime(t); }
  LocalTime fileTimeToLocal(int64_t t) override { return inner_.fileTimeToLocal(t); }
  int wideToAnsi(const char16_t* w, char* o, int c) override { return inner_.wideToAnsi(w, o, c); }
  int ansiToWide(const char* t, int n, char16_t* o, int c) override {
    return inner_.ansiToWide(t, n, o, c);
  }
  bool registryRead(RegistryHive h, const char* k, const char* v, std::string& d) override {
    return inner_.registryRead(h, k, v, d);
  }
  bool registryCreateKey(RegistryHive h, const char* k) override {
    return inner_.registryCreateKey(h, k);
  }
  bool registrySetValue(RegistryHive h, const char* k, const char* v,
                        const std::string& d) override {
    return inner_.registrySetValue(h, k, v, d);
  }
  bool registryDeleteTree(RegistryHive h, const char* k) override {
    return inner_.registryDeleteTree(h, k);
  }
  bool registryDeleteValue(RegistryHive h, const char* k, const char* v) override {
    return inner_.registryDeleteValue(h, k, v);
  }
  bool registryKeyExists(RegistryHive h, const char* k) override {
    return inner_.registryKeyExists(h, k);
  }
  bool osVersion(uint32_t& id, uint32_t& major) override { return inner_.osVersion(id, major); }
  std::string modulePath(const void* a) override { return inner_.modulePath(a); }
  std::string executablePath() override { return inner_.executablePath(); }
  ModuleHandle* loadModule(const char* p) override { return inner_.loadModule(p); }
  void* moduleSymbol(ModuleHandle* m, const char* n) override { return inner_.moduleSymbol(m, n); }
  void unloadModule(ModuleHandle* m) override { inner_.unloadModule(m); }
  LockHandle* createLock() override { return inner_.createLock(); }
  void lock(LockHandle* l) override { inner_.lock(l); }
  void unlock(LockHandle* l) override { inner_.unlock(l); }
  void destroyLock(LockHandle* l) override { inner_.destroyLock(l); }
  bool createScratchDirectory(char l, ScratchDirectory& d) override {
    return inner_.createScratchDirectory(l, d);
  }
  bool removeScratchDirectory(const ScratchDirectory& d) override {
    return inner_.removeScratchDirectory(d);
  }
  std::string hostPath(const char* p) override { return inner_.hostPath(p); }
  int runCommand(const char* c) override { return inner_.runCommand(c); }

 private:
  Platform& inner_;
};

}  // namespace torvex
