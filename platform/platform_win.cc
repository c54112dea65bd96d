// The Win32 back end: every operation of Platform is the Win32 call that the
// interface is modelled on, so this file only adapts types and error codes.
#include <windows.h>

#include <direct.h>
#include <time.h>

#include <climits>
#include <cstring>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/wildcard.h"
#include "platform/win_backend.h"
#include "platform/win_path.h"

namespace torvex {

struct FileHandle {
  HANDLE h;
  bool append;  // every write goes to the current end, as the CRT's "a" mode does
};

struct SearchHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  std::optional<wildcard::Pattern> pattern;  // when the layer matches, not the system
};

namespace {

// Win32 code of the last failure on this thread. Kept apart from
// GetLastError so that clean-up calls after a failure cannot overwrite it.
thread_local uint32_t tLastError = kErrorSuccess;

void noteFailure() { tLastError = GetLastError(); }

// A path that names nothing any more: a barrier has nothing of it to keep.
bool gone(uint32_t error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

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

// HKEY_LOCAL_MACHINE in its 32-bit view, whatever this library's own: the
// value that &TELVORIN reads is written by a site's 32-bit installation,
// which on 64-bit Windows lands under WOW6432Node, so the x86 and the x64
// library read the same value (32-bit Windows ignores the flag). Class
// registration keeps each library's own view.
REGSAM view(RegistryHive hive) { return hive == RegistryHive::LocalMachine ? KEY_WOW64_32KEY : 0; }

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

// False, leaving `e` alone, for a name without an exact ANSI form: the
// search does not report it, so nothing acts on a look-alike of it.
bool fillEntry(const WIN32_FIND_DATAW& fd, DirEntry& e) {
  std::string name;
  if (!win::exactAnsiName(fd.cFileName, name)) return false;
  e.name = std::move(name);
  e.attributes = fd.dwFileAttributes;
  e.size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  e.creationTime = toUnixSeconds(fd.ftCreationTime);
  e.lastAccessTime = toUnixSeconds(fd.ftLastAccessTime);
  e.lastWriteTime = toUnixSeconds(fd.ftLastWriteTime);
  return true;
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
    std::wstring wide;
    if (!entryNamed(path, wide, ERROR_INVALID_NAME)) return nullptr;
    HANDLE h = CreateFileW(wide.c_str(), access, kShareMode, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      noteFailure();
      return nullptr;
    }
    // As the system answers, and the POSIX back end: an open that may create
    // says whether the file was there (ERROR_ALREADY_EXISTS).
    const bool mayCreate = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    tLastError = mayCreate ? GetLastError() : static_cast<DWORD>(ERROR_SUCCESS);
    return new FileHandle{h, mode == OpenMode::Append};
  }

  // Until the buffer is full or the file ends, as the POSIX back end reads:
  // a pipe or a network file may hand over less than asked before its end.
  long readFile(FileHandle* f, void* buf, size_t n) override {
    if (!f) return refuseNull(-1L);
    const size_t total = n < static_cast<size_t>(LONG_MAX) ? n : static_cast<size_t>(LONG_MAX);
    char* p = static_cast<char*>(buf);
    size_t done = 0;
    while (done < total) {
      const size_t left = total - done;
      DWORD got = 0;
      if (!ReadFile(f->h, p + done, left < kMaxTransfer ? static_cast<DWORD>(left) : kMaxTransfer,
                    &got, nullptr)) {
        noteFailure();
        return done > 0 ? static_cast<long>(done) : -1;
      }
      if (got == 0) break;
      done += got;
    }
    return static_cast<long>(done);
  }

  long writeFile(FileHandle* f, const void* buf, size_t n) override {
    if (!f) return refuseNull(-1L);
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
    if (!f) return refuseNull(false);
    if (offset > static_cast<uint64_t>(LLONG_MAX)) {
      tLastError = kErrorInvalidParameter;
      return false;
    }
    return seekTo(f, static_cast<LONGLONG>(offset), FILE_BEGIN);
  }

  int64_t fileSize(FileHandle* f) override {
    if (!f) return refuseNull<int64_t>(-1);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f->h, &size)) {
      noteFailure();
      return -1;
    }
    return size.QuadPart;
  }

  // Like ftruncate: the file position is left where it was.
  bool truncateFile(FileHandle* f, uint64_t size) override {
    if (!f) return refuseNull(false);
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

  bool syncFile(FileHandle* f) override {
    return f ? check(FlushFileBuffers(f->h)) : refuseNull(false);
  }

  bool closeFile(FileHandle* f) override {
    if (!f) return refuseNull(false);
    const bool closed = check(CloseHandle(f->h));
    delete f;
    return closed;
  }

  // The wide search, because the ANSI one reports a name the code page
  // lacks as a best-fit look-alike, which may be another file's name. Such a
  // name is skipped; when only such names match, nothing does. A device name
  // (NUL, con.txt) names the device in every folder, and the search may
  // report it there as a file (Wine does): it is none, as on POSIX.
  // Wildcards are matched here against long names, by the rules the POSIX
  // back end follows, over a listing of the whole folder: the system's own
  // matching also tries each name's 8.3 alias, so "*.txt" would take
  // "b.txtx" on a volume with aliases and not on one without, and Wine's
  // takes a "?" before a dot for one character where Windows lets it match
  // nothing.
  SearchHandle* findFirst(const char* pattern, DirEntry& first) override {
    std::wstring wide;
    if (!pattern) return refuse<SearchHandle*>(ERROR_INVALID_PARAMETER, nullptr);
    if (winpath::namesAStream(pattern) || !win::fileCallPath(pattern, wide)) {
      return refuse<SearchHandle*>(ERROR_INVALID_NAME, nullptr);
    }
    const winpath::ParsedPath parsed = winpath::parse(pattern);
    const std::string last = parsed.components.empty() ? std::string() : parsed.components.back();
    if (winpath::isDeviceName(last)) return refuse<SearchHandle*>(ERROR_FILE_NOT_FOUND, nullptr);
    auto s = std::make_unique<SearchHandle>();
    if (!parsed.trailingSeparator && wildcard::hasWildcards(last)) {
      std::wstring wideLast;
      if (wildcard::isInvalidPattern(last) || !win::widePath(last.c_str(), wideLast)) {
        return refuse<SearchHandle*>(ERROR_INVALID_NAME, nullptr);
      }
      s->pattern.emplace(win::utf8Text(wideLast.c_str()), parsed.endedInDot);
      wide = folderOf(wide) + L"*";
    }
    WIN32_FIND_DATAW fd;
    s->h = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (s->h == INVALID_HANDLE_VALUE) {
      noteFailure();
      return nullptr;
    }
    if (accept(*s, fd, first) || nextNamed(s.get(), first)) return s.release();
    findClose(s.release());
    return refuse<SearchHandle*>(ERROR_FILE_NOT_FOUND, nullptr);
  }

  bool findNext(SearchHandle* s, DirEntry& next) override {
    return s ? nextNamed(s, next) : refuseNull(false);
  }

  void findClose(SearchHandle* s) override {
    if (!s) return;
    FindClose(s->h);
    delete s;
  }

  std::vector<std::string> unnamableEntries(const char* directory) override {
    std::vector<std::string> names;
    std::wstring wide;
    if (!directory || !win::fileCallPath(directory, wide)) return names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((wide + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      std::string ansi;
      if (!win::exactAnsiName(fd.cFileName, ansi)) names.push_back(win::utf8Text(fd.cFileName));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
  }

  uint32_t fileAttributes(const char* path) override {
    std::wstring wide;
    if (!named(path, wide)) return kInvalidAttributes;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) noteFailure();
    return attributes;
  }

  bool createDirectory(const char* path) override {
    std::wstring wide;
    return entryNamed(path, wide, ERROR_INVALID_NAME) &&
           check(CreateDirectoryW(wide.c_str(), nullptr));
  }
  bool removeDirectory(const char* path) override {
    std::wstring wide;
    return entryNamed(path, wide, ERROR_ACCESS_DENIED) && check(RemoveDirectoryW(wide.c_str()));
  }
  bool deleteFile(const char* path) override {
    std::wstring wide;
    return entryNamed(path, wide, ERROR_ACCESS_DENIED) && check(DeleteFileW(wide.c_str()));
  }
  bool moveFile(const char* from, const char* to) override {
    std::wstring source, target;
    return entryNamed(from, source, ERROR_ACCESS_DENIED) &&
           entryNamed(to, target, ERROR_INVALID_NAME) &&
           check(MoveFileW(source.c_str(), target.c_str()));
  }
  // Onto another volume (a second disk, a mapped network drive) the move is
  // a copy and a delete, as the POSIX back end does it; write-through then
  // makes the copy reach the medium before the source goes. It changes
  // nothing for a rename within a volume.
  bool replaceFile(const char* from, const char* to) override {
    std::wstring source, target;
    return entryNamed(from, source, ERROR_ACCESS_DENIED) &&
           entryNamed(to, target, ERROR_INVALID_NAME) &&
           check(MoveFileExW(source.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED |
                                 MOVEFILE_WRITE_THROUGH));
  }

  // The wide call, with names converted exactly, as the search does. A
  // volume without second names (FAT, exFAT, many network shares) fails it.
  bool linkFile(const char* from, const char* to) override {
    std::wstring source, target;
    return entryNamed(from, source, ERROR_ACCESS_DENIED) &&
           entryNamed(to, target, ERROR_INVALID_NAME) &&
           check(CreateHardLinkW(target.c_str(), source.c_str(), nullptr));
  }

  // Win32 has no call that flushes a directory for a program without
  // administrator rights; NTFS logs every name change in order, and the next
  // flush of any file on the volume forces the log with it (see
  // docs/recovery.md). The directory must exist, though.
  bool syncDirectory(const char* path) override {
    const DWORD attributes = fileAttributes(path);  // notes its failure
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      tLastError = kErrorDirectory;
      return false;
    }
    return true;
  }

  // Flushing a whole volume needs administrator rights, and a directory
  // cannot be flushed: each file is flushed, through a handle that may write
  // it, and NTFS's log carries every name change made before a flush with it
  // (docs/recovery.md). The directories need only exist.
  bool makeDurable(const std::vector<std::string>& files,
                   const std::vector<std::string>& directories) override {
    uint32_t failure = 0;
    auto note = [&](bool ok) {
      if (!ok && failure == 0) failure = tLastError;
    };
    for (const std::string& path : files) {
      FileHandle* f = openFile(path.c_str(), OpenMode::ReadWrite);
      if (!f) {
        note(gone(tLastError));
        continue;
      }
      note(syncFile(f));
      note(closeFile(f));
    }
    for (const std::string& dir : directories) {
      note(syncDirectory(dir.c_str()) || gone(tLastError));
    }
    if (failure) tLastError = failure;
    return failure == 0;
  }

  bool readOnlyVolume(const char* path) override {
    std::wstring wide;
    wchar_t volume[MAX_PATH + 1];
    DWORD flags = 0;
    return named(path, wide) && GetVolumePathNameW(wide.c_str(), volume, MAX_PATH + 1) &&
           GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_READ_ONLY_VOLUME);
  }

  bool fileIdentity(const char* path, FileIdentity& id) override {
    std::wstring wide;
    if (!named(path, wide)) return false;
    HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
    if (!f) return refuseNull(false);
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
    if (capacity < 0) return refuse(ERROR_INVALID_PARAMETER, 0);
    return win::wideToAnsi(reinterpret_cast<const wchar_t*>(wide), -1, out, capacity);
  }

  int ansiToWide(const char* text, int n, char16_t* out, int capacity) override {
    if (n == 0 || n < -1 || capacity < 0) return refuse(ERROR_INVALID_PARAMETER, 0);
    return win::ansiToWide(text, n, reinterpret_cast<wchar_t*>(out), capacity);
  }

  bool registryRead(RegistryHive hive, const char* key, const char* value,
                    std::string& data) override {
    HKEY k;
    if (!noteRegistry(RegOpenKeyExA(hiveKey(hive), key, 0, KEY_QUERY_VALUE | view(hive), &k))) {
      return false;
    }
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
    // RegDeleteTreeA takes no view: the view is chosen by opening the parent.
    const char* leaf = std::strrchr(key, '\\');
    LONG status;
    if (!view(hive) || !leaf) {
      status = RegDeleteTreeA(hiveKey(hive), key);
    } else {
      HKEY parent;
      status = RegOpenKeyExA(hiveKey(hive), std::string(key, leaf).c_str(), 0,
                             KEY_ALL_ACCESS | view(hive), &parent);
      if (status == ERROR_SUCCESS) {
        status = RegDeleteTreeA(parent, leaf + 1);
        RegCloseKey(parent);
      }
    }
    return status == ERROR_FILE_NOT_FOUND || noteRegistry(status);
  }

  // True when the value is gone, as for registryDeleteTree.
  bool registryDeleteValue(RegistryHive hive, const char* key, const char* value) override {
    HKEY k;
    LONG status = RegOpenKeyExA(hiveKey(hive), key, 0, KEY_SET_VALUE | view(hive), &k);
    if (status == ERROR_SUCCESS) {
      status = RegDeleteValueA(k, value);
      RegCloseKey(k);
    }
    return status == ERROR_FILE_NOT_FOUND || noteRegistry(status);
  }

  bool registryKeyExists(RegistryHive hive, const char* key) override {
    HKEY k;
    if (!noteRegistry(RegOpenKeyExA(hiveKey(hive), key, 0, KEY_READ | view(hive), &k))) {
      return false;
    }
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
  template <typename T>
  static T refuse(uint32_t code, T result) {
    tLastError = code;
    return result;
  }
  // A path for the wide file calls (win::fileCallPath), or the refusal noted.
  // A named stream ("a.txt:hidden") is refused, as the POSIX back end
  // refuses the ':': its bytes would sit where no listing shows them, and
  // Wine makes a file of that name, which no Win32 call reaches again.
  static bool named(const char* path, std::wstring& wide) {
    if (!path) return refuse(ERROR_INVALID_PARAMETER, false);
    if (winpath::namesAStream(path)) return refuse(ERROR_INVALID_NAME, false);
    return win::fileCallPath(path, wide) || refuse(ERROR_INVALID_NAME, false);
  }
  // A path whose entry is opened, made, removed or moved: never a device,
  // as on POSIX, where data written there would be lost unseen. Win32
  // takes NUL or con.txt in any folder for the device, and Wine maps each
  // device to a host file (NUL to /dev/null) that a delete or a move run as
  // root would then take for an ordinary file. Refused with the error the
  // POSIX back end gives.
  static bool entryNamed(const char* path, std::wstring& wide, DWORD deviceError) {
    if (path) {
      const std::string_view text(path);
      const size_t sep = text.find_last_of("\\/:");
      if (winpath::isDeviceName(sep == std::string_view::npos ? text : text.substr(sep + 1))) {
        return refuse(deviceError, false);
      }
    }
    return named(path, wide);
  }
  // A null handle is refused, as the POSIX back end does, never dereferenced.
  template <typename T>
  static T refuseNull(T result) {
    return refuse(kErrorInvalidHandle, result);
  }

  // The text of a search pattern before its last component: the folder
  // with its separator, "X:" alone, or nothing for the current folder.
  static std::wstring folderOf(const std::wstring& pattern) {
    const size_t sep = pattern.find_last_of(L"\\/");
    if (sep != std::wstring::npos) return pattern.substr(0, sep + 1);
    return pattern.size() >= 2 && pattern[1] == L':' ? pattern.substr(0, 2) : std::wstring();
  }

  static bool accept(const SearchHandle& s, const WIN32_FIND_DATAW& fd, DirEntry& e) {
    if (s.pattern && !s.pattern->matches(win::utf8Text(fd.cFileName))) return false;
    return fillEntry(fd, e);
  }

  bool nextNamed(SearchHandle* s, DirEntry& e) {
    WIN32_FIND_DATAW fd;
    while (FindNextFileW(s->h, &fd)) {
      if (accept(*s, fd, e)) return true;
    }
    noteFailure();
    return false;
  }

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
                                        KEY_WRITE | view(hive), nullptr, &k, nullptr));
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
