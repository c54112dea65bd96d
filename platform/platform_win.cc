// The Win32 back end: every operation of Platform is the Win32 call that the
// interface is modelled on, so this file only adapts types and error codes.
#include <windows.h>

#include <direct.h>
#include <time.h>

#include <climits>

#include <cstdlib>

#include "platform/platform.h"
#include "platform/win_backend.h"

namespace torvex {

struct FileHandle {
  HANDLE h;
  bool append;  // every write goes to the current end, as the CRT's "a" mode does
};

struct SearchHandle {
  HANDLE h;
};

namespace {

// Win32 code of the last failure on this thread. Kept apart from
// GetLastError so that clean-up calls after a failure cannot overwrite it.
thread_local uint32_t tLastError = kErrorSuccess;

void noteFailure() { tLastError = GetLastError(); }

// Registry calls return their error instead of setting it.
bool noteRegistry(LONG status) {
  if (status == ERROR_SUCCESS) return true;
  tLastError = static_cast<uint32_t>(status);
  SetLastError(static_cast<DWORD>(status));
  return false;
}

HKEY hiveKey(RegistryHive hive) {
  return hive == RegistryHive::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}

// FILETIME counts 100 ns steps from 1601-01-01 UTC.
constexpr int64_t kFileTimeTo1970 = 116444736000000000LL;
constexpr int64_t kFileTimeUnits = 10000000LL;

int64_t toUnixSeconds(const FILETIME& ft) {
  const int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  const int64_t since1970 = ticks - kFileTimeTo1970;
  // Floor division, so times before 1970 fall in the right second.
  return since1970 >= 0 ? since1970 / kFileTimeUnits
                        : -((-since1970 + kFileTimeUnits - 1) / kFileTimeUnits);
}

LocalTime fromSystemTime(const SYSTEMTIME& st) {
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

void fillEntry(const WIN32_FIND_DATAA& fd, DirEntry& e) {
  e.name = fd.cFileName;
  e.attributes = fd.dwFileAttributes;
  e.size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  e.creationTime = toUnixSeconds(fd.ftCreationTime);
  e.lastAccessTime = toUnixSeconds(fd.ftLastAccessTime);
  e.lastWriteTime = toUnixSeconds(fd.ftLastWriteTime);
}

// One ReadFile/WriteFile moves at most this much, so counts fit a 32-bit long.
constexpr DWORD kMaxTransfer = 1u << 30;

// The sharing the CRT's fopen grants, so hosts may read a file we hold open.
constexpr DWORD kShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;

class WinPlatform final : public Platform {
 public:
  uint32_t lastError() override { return tLastError; }

  FileHandle* openFile(const char* path, OpenMode mode) override {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
      case OpenMode::Read: access = GENERIC_READ; break;
      case OpenMode::Write: disposition = CREATE_ALWAYS; break;
      case OpenMode::Append: disposition = OPEN_ALWAYS; break;
      case OpenMode::ReadWrite: break;
      case OpenMode::CreateNew: disposition = CREATE_NEW; break;
    }
    HANDLE h = CreateFileA(path, access, kShareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      noteFailure();
      return nullptr;
    }
    return new FileHandle{h, mode == OpenMode::Append};
  }

  long readFile(FileHandle* f, void* buf, size_t n) override {
    DWORD got = 0;
    const DWORD want = n < kMaxTransfer ? static_cast<DWORD>(n) : kMaxTransfer;
    if (!ReadFile(f->h, buf, want, &got, nullptr)) {
      noteFailure();
      return -1;
    }
    return static_cast<long>(got);
  }

  long writeFile(FileHandle* f, const void* buf, size_t n) override {
    if (f->append && !seekTo(f, 0, FILE_END)) return -1;
    const size_t total = n < static_cast<size_t>(LONG_MAX) ? n : static_cast<size_t>(LONG_MAX);
    const char* p = static_cast<const char*>(buf);
    size_t done = 0;
    while (done < total) {
      const size_t left = total - done;
      const DWORD chunk = left < kMaxTransfer ? static_cast<DWORD>(left) : kMaxTransfer;
      DWORD put = 0;
      if (!WriteFile(f->h, p + done, chunk, &put, nullptr)) {
        noteFailure();
        return done > 0 ? static_cast<long>(done) : -1;
      }
      if (put == 0) break;
      done += put;
    }
    return static_cast<long>(done);
  }

  bool seekFile(FileHandle* f, uint64_t offset) override {
    if (offset > static_cast<uint64_t>(LLONG_MAX)) {
      tLastError = kErrorInvalidParameter;
      return false;
    }
    return seekTo(f, static_cast<LONGLONG>(offset), FILE_BEGIN);
  }

  int64_t fileSize(FileHandle* f) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f->h, &size)) {
      noteFailure();
      return -1;
    }
    return size.QuadPart;
  }

  // Like ftruncate: the file position is left where it was.
  bool truncateFile(FileHandle* f, uint64_t size) override {
    LARGE_INTEGER zero{}, here{};
    if (!SetFilePointerEx(f->h, zero, &here, FILE_CURRENT)) {
      noteFailure();
      return false;
    }
    if (!seekFile(f, size)) return false;
    const bool cut = SetEndOfFile(f->h);
    if (!cut) noteFailure();
    return seekTo(f, here.QuadPart, FILE_BEGIN) && cut;
  }

  bool syncFile(FileHandle* f) override { return check(FlushFileBuffers(f->h)); }

  bool closeFile(FileHandle* f) override {
    const bool closed = check(CloseHandle(f->h));
    delete f;
    return closed;
  }

  SearchHandle* findFirst(const char* pattern, DirEntry& first) override {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) {
      noteFailure();
      return nullptr;
    }
    fillEntry(fd, first);
    return new SearchHandle{h};
  }

  bool findNext(SearchHandle* s, DirEntry& next) override {
    WIN32_FIND_DATAA fd;
    if (!FindNextFileA(s->h, &fd)) {
      noteFailure();
      return false;
    }
    fillEntry(fd, next);
    return true;
  }

  void findClose(SearchHandle* s) override {
    FindClose(s->h);
    delete s;
  }

  uint32_t fileAttributes(const char* path) override {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) noteFailure();
    return attributes;
  }

  bool createDirectory(const char* path) override {
    return check(CreateDirectoryA(path, nullptr));
  }
  bool removeDirectory(const char* path) override { return check(RemoveDirectoryA(path)); }
  bool deleteFile(const char* path) override { return check(DeleteFileA(path)); }
  bool moveFile(const char* from, const char* to) override { return check(MoveFileA(from, to)); }
  bool replaceFile(const char* from, const char* to) override {
    return check(MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  }

  // The file system journals directory changes itself and replaceFile writes
  // through, so there is nothing to flush; the directory must exist, though.
  bool syncDirectory(const char* path) override {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      noteFailure();
      return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      tLastError = kErrorDirectory;
      return false;
    }
    return true;
  }

  // Flushing a whole volume needs administrator rights: the caller syncs
  // each file instead.
  bool syncFileSystem(const char*) override {
    tLastError = ERROR_INVALID_FUNCTION;
    return false;
  }

  bool readOnlyVolume(const char* path) override {
    char volume[MAX_PATH + 1];
    DWORD flags = 0;
    return GetVolumePathNameA(path, volume, sizeof volume) &&
           GetVolumeInformationA(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_READ_ONLY_VOLUME);
  }

  bool fileIdentity(const char* path, FileIdentity& id) override {
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      noteFailure();
      return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = check(GetFileInformationByHandle(h, &info));
    CloseHandle(h);
    if (!ok) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
  }

  OpenToAll writableByEveryone(const char* path) override {
    uint32_t error = kErrorSuccess;
    const OpenToAll answer = win::writableByEveryone(path, &error);
    tLastError = error;
    return answer;
  }
  bool lockFile(FileHandle* f) override {
    OVERLAPPED at = {};
    return check(LockFileEx(f->h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at));
  }

  bool setCurrentDrive(int drive) override {
    // The CRT treats a number outside 1-26 as a programming error and aborts.
    if (drive < 1 || drive > 26) {
      tLastError = ERROR_INVALID_DRIVE;
      return false;
    }
    SetLastError(ERROR_SUCCESS);  // the CRT reports through errno; keep only its own failure
    if (_chdrive(drive) == 0) return true;
    tLastError = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_DRIVE;
    return false;
  }
  int currentDrive() override { return _getdrive(); }

  int64_t utcNow() override {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return toUnixSeconds(ft);
  }

  LocalTime localNow() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return fromSystemTime(st);
  }

  LocalTime toLocalTime(int64_t utcSeconds) override {
    // The CRT's range; outside it the CRT would call its invalid-parameter handler.
    constexpr int64_t kLastCrtSecond = 32535215999LL;  // 3000-12-31 23:59:59 UTC
    if (utcSeconds < 0 || utcSeconds > kLastCrtSecond) return LocalTime{};
    const __time64_t t = utcSeconds;
    struct tm tm {};
    if (_localtime64_s(&tm, &t) != 0) return LocalTime{};
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  }

  LocalTime fileTimeToLocal(int64_t utcSeconds) override {
    constexpr int64_t kFirst = -kFileTimeTo1970 / kFileTimeUnits;
    constexpr int64_t kLast = (INT64_MAX - kFileTimeTo1970) / kFileTimeUnits;
    if (utcSeconds < kFirst || utcSeconds > kLast) return LocalTime{};
    const uint64_t ticks = static_cast<uint64_t>(utcSeconds * kFileTimeUnits + kFileTimeTo1970);
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) {
      noteFailure();
      return LocalTime{};
    }
    return fromSystemTime(st);
  }

  int wideToAnsi(const char16_t* wide, char* out, int capacity) override {
    if (capacity <= 0) return 0;  // 0 would ask WideCharToMultiByte for a count
    const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(wide), -1, out,
                                      capacity, nullptr, nullptr);
    if (n == 0) noteFailure();
    return n;
  }

  int oemToWide(const char* text, int n, char16_t* out, int capacity) override {
    if (n <= 0 || capacity < 0) return 0;
    const int got = MultiByteToWideChar(CP_OEMCP, MB_PRECOMPOSED, text, n,
                                        reinterpret_cast<wchar_t*>(out), capacity);
    if (got == 0) noteFailure();
    return got;
  }

  int ansiToWide(const char* text, int n, char16_t* out, int capacity) override {
    if (n == 0 || n < -1 || capacity < 0) return 0;
    const int got = MultiByteToWideChar(CP_ACP, 0, text, n, reinterpret_cast<wchar_t*>(out),
                                        capacity);
    if (got == 0) noteFailure();
    return got;
  }

  bool registryRead(RegistryHive hive, const char* key, const char* value,
                    std::string& data) override {
    HKEY k;
    if (!noteRegistry(RegOpenKeyExA(hiveKey(hive), key, 0, KEY_QUERY_VALUE, &k))) return false;
    // The same 256-byte limit that every other path buffer of the component has.
    BYTE buf[256];
    DWORD size = sizeof buf;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(k, value, nullptr, &type, buf, &size);
    RegCloseKey(k);
    if (!noteRegistry(status)) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return noteRegistry(ERROR_INVALID_DATATYPE);
    // A stored string need not carry its terminator.
    DWORD len = 0;
    while (len < size && buf[len] != 0) ++len;
    if (len == sizeof buf) return noteRegistry(ERROR_MORE_DATA);
    data.assign(reinterpret_cast<const char*>(buf), len);
    return true;
  }

  bool registryCreateKey(RegistryHive hive, const char* key) override {
    HKEY k;
    if (!createKey(hive, key, k)) return false;
    RegCloseKey(k);
    return true;
  }

  bool registrySetValue(RegistryHive hive, const char* key, const char* value,
                        const std::string& data) override {
    if (data.size() >= MAXDWORD) return noteRegistry(ERROR_INVALID_PARAMETER);
    HKEY k;
    if (!createKey(hive, key, k)) return false;
    const LONG status = RegSetValueExA(k, value, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(k);
    return noteRegistry(status);
  }

  bool registryDeleteTree(RegistryHive hive, const char* key) override {
    const LONG status = RegDeleteTreeA(hiveKey(hive), key);
    return status == ERROR_FILE_NOT_FOUND || noteRegistry(status);
  }

  // True when the value is gone, as for registryDeleteTree.
  bool registryDeleteValue(RegistryHive hive, const char* key, const char* value) override {
    HKEY k;
    LONG status = RegOpenKeyExA(hiveKey(hive), key, 0, KEY_SET_VALUE, &k);
    if (status == ERROR_SUCCESS) {
      status = RegDeleteValueA(k, value);
      RegCloseKey(k);
    }
    return status == ERROR_FILE_NOT_FOUND || noteRegistry(status);
  }

  bool registryKeyExists(RegistryHive hive, const char* key) override {
    HKEY k;
    if (!noteRegistry(RegOpenKeyExA(hiveKey(hive), key, 0, KEY_READ, &k))) return false;
    RegCloseKey(k);
    return true;
  }

  bool osVersion(uint32_t& platformId, uint32_t& major) override {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
      noteFailure();
      return false;
    }
    platformId = info.dwPlatformId;
    major = info.dwMajorVersion;
    return true;
  }

  std::string modulePath(const void* address) override { return win::modulePath(address); }
  std::string executablePath() override { return win::executablePath(); }
  ModuleHandle* loadModule(const char* path) override { return win::loadModule(path); }
  void* moduleSymbol(ModuleHandle* module, const char* name) override {
    return win::moduleSymbol(module, name);
  }
  void unloadModule(ModuleHandle* module) override { win::unloadModule(module); }

  LockHandle* createLock() override { return win::createLock(); }
  void lock(LockHandle* l) override { win::lock(l); }
  void unlock(LockHandle* l) override { win::unlock(l); }
  void destroyLock(LockHandle* l) override { win::destroyLock(l); }

  // Real drives need no mapping: the letter is not used.
  bool createScratchDirectory(char, ScratchDirectory& out) override {
    return win::createScratchDirectory(out);
  }
  bool removeScratchDirectory(const ScratchDirectory& dir) override {
    return win::removeScratchDirectory(dir);
  }

  std::string hostPath(const char* path) override { return path; }
  int runCommand(const char* commandLine) override { return std::system(commandLine); }

 private:
  static bool check(BOOL ok) {
    if (!ok) noteFailure();
    return ok != FALSE;
  }

  static bool seekTo(FileHandle* f, LONGLONG offset, DWORD method) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return check(SetFilePointerEx(f->h, to, nullptr, method));
  }

  static bool createKey(RegistryHive hive, const char* key, HKEY& k) {
    return noteRegistry(RegCreateKeyExA(hiveKey(hive), key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, &k, nullptr));
  }
};

}  // namespace

void setLastError(uint32_t code) {
  tLastError = code;
  SetLastError(code);
}

Platform& nativePlatform() {
  static WinPlatform instance;
  return instance;
}

std::string environmentProblem() { return {}; }

}  // namespace torvex
