// Windows: the drive itself is the tree, so that the paths the tests name
// (C:\Troca) reach the Win32 back end as a host would pass them. Each tree
// is a fresh folder kept outside its drive, where the tests reach its files,
// and the drive (C: unless a second volume is asked for) is mapped to it for
// the tree's lifetime, then back. Under Wine a drive is a link in the prefix
// made by its mount manager (DefineDosDevice makes an object link that
// Wine's file lookup does not follow: W6 in docs/wine-departures.md), so the
// mapping asks the mount manager; elsewhere the tree refuses to start, with
// the reason, rather than touch a real drive.
#include "tests/support/temp_tree.h"

#include <windows.h>
#include <winioctl.h>

#include <cctype>
#include <optional>
#include <random>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "tests/support/wine.h"

namespace torvex::testing {
namespace fs = std::filesystem;

namespace {

// The mount manager's drive record as Wine 8 lays it out (mingw-w64's
// ddk/mountmgr.h has an older, shorter one); strings follow it.
struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kQueryUnixDrive = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

// Removes a folder and all under it by "\\?\" paths: they reach past
// MAX_PATH (a test may build a tray tree under a root of 239 characters),
// take a name as it stands on disk ("dots.", "NUL") for that very entry,
// never for the device or a shorter name, and std::filesystem's removal in
// mingw-w64 does neither. A link to a folder is removed, not entered.
void removeDeepTree(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring entry = folder + L"\\" + name;
      SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD kind = fd.dwFileAttributes;
      if ((kind & FILE_ATTRIBUTE_DIRECTORY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removeDeepTree(entry);
      } else if (kind & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(entry.c_str());
      } else {
        DeleteFileW(entry.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

std::vector<char> askMountManager(DWORD code, const std::vector<char>& request, size_t replySize) {
  HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) fail("cannot open Wine's mount manager");
  std::vector<char> reply(replySize);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(manager, code, const_cast<char*>(request.data()),
                                  static_cast<DWORD>(request.size()), reply.data(),
                                  static_cast<DWORD>(reply.size()), &returned, nullptr);
  CloseHandle(manager);
  if (!ok) fail("Wine's mount manager refused a drive request");
  return reply;
}

std::vector<char> driveRecord(char letter, const std::string& unixFolder) {
  UnixDrive drive{};
  drive.size = static_cast<ULONG>(sizeof drive + (unixFolder.empty() ? 0 : unixFolder.size() + 1));
  drive.type = DRIVE_FIXED;
  drive.letter = static_cast<WCHAR>(std::tolower(static_cast<unsigned char>(letter)));
  drive.mountPointOffset = unixFolder.empty() ? 0 : sizeof drive;
  const auto* bytes = reinterpret_cast<const char*>(&drive);
  std::vector<char> record(bytes, bytes + sizeof drive);
  if (!unixFolder.empty()) record.insert(record.end(), unixFolder.c_str(), unixFolder.c_str() + unixFolder.size() + 1);
  return record;
}

bool driveExists(char letter) {
  const int index = std::toupper(static_cast<unsigned char>(letter)) - 'A';
  return (GetLogicalDrives() >> index) & 1;
}

// The Unix folder that the drive names now; empty when none. A drive a
// tree removed is still listed for a while, naming no folder: it is no
// mapping to put back.
std::string driveFolder(char letter) {
  if (!driveExists(letter)) return {};
  const std::vector<char> reply = askMountManager(kQueryUnixDrive, driveRecord(letter, ""), 4096);
  const auto* drive = reinterpret_cast<const UnixDrive*>(reply.data());
  if (drive->mountPointOffset == 0 || drive->mountPointOffset >= reply.size()) return {};
  return std::string(reply.data() + drive->mountPointOffset);
}

// Maps the drive to the folder, or removes it when the folder is empty.
void mapDrive(char letter, const std::string& unixFolder) {
  askMountManager(kDefineUnixDrive, driveRecord(letter, unixFolder), 0);
}

// A folder's volume serial and file index (under Wine the Unix inode);
// zeros when it cannot be read.
BY_HANDLE_FILE_INFORMATION folderInformation(const fs::path& folder) {
  BY_HANDLE_FILE_INFORMATION info{};
  HANDLE h = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return info;
  if (!GetFileInformationByHandle(h, &info)) info = {};
  CloseHandle(h);
  return info;
}

// Waits until the drive's root is the folder and its volume has its serial:
// the mount manager gives a drive just mapped the serial 0 for a moment
// (W6), and a file identity read then would differ from every later one.
void awaitDrive(char letter, const fs::path& folder) {
  const BY_HANDLE_FILE_INFORMATION want = folderInformation(folder);
  const fs::path root = std::string(1, letter) + ":\\";
  for (int waited = 0; waited < 10000; ++waited) {
    const BY_HANDLE_FILE_INFORMATION got = folderInformation(root);
    if (got.dwVolumeSerialNumber != 0 && got.nFileIndexHigh == want.nFileIndexHigh &&
        got.nFileIndexLow == want.nFileIndexLow) {
      return;
    }
    Sleep(1);
  }
  throw std::runtime_error(std::string("drive ") + letter + ": did not come to name its folder, with a volume serial");
}

// A fresh folder outside C:, in memory when the host has /dev/shm (see
// temp_tree_posix.cc); `unixFolder` receives its Unix path.
fs::path makeUniqueFolder(std::string& unixFolder) {
  // Wine's conversion of a Unix path to a Windows one; its presence is how
  // Wine is told from Windows.
  const auto windowsPath = [](const std::string& unixPath) {
    std::optional<fs::path> path = wineWindowsPath(unixPath);
    if (!path) {
      throw std::runtime_error(
          "the test tree maps drive C: through Wine's mount manager, and this is not Wine");
    }
    return *path;
  };
  std::error_code ec;
  const std::string base = fs::is_directory(windowsPath("/dev/shm"), ec) ? "/dev/shm" : "/tmp";
  std::random_device random;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string candidate =
        base + "/torvex-test-" + std::to_string(random()) + "-" + std::to_string(random());
    fs::path folder = windowsPath(candidate);
    if (fs::create_directory(folder, ec)) {
      unixFolder = candidate;
      return folder;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

}  // namespace

TempTree::TempTree() : TempTree('C') {}

TempTree::TempTree(char drive) : drive_(drive) {
  std::string unixFolder;
  dir_ = makeUniqueFolder(unixFolder);
  previous_ = driveFolder(drive);
  hadPrevious_ = !previous_.empty();
  mapDrive(drive, unixFolder);
  awaitDrive(drive, dir_);
}

void removeTree(const fs::path& folder) {
  std::error_code ec;
  const fs::path full = fs::absolute(folder, ec).make_preferred();
  if (!ec) removeDeepTree(L"\\\\?\\" + full.wstring());
}

TempTree::~TempTree() {
  // Off the drive first, if a test made a folder there current.
  std::error_code ec;
  if (fs::current_path(ec).root_name() == std::string(1, drive_) + ":") {
    fs::current_path(dir_.parent_path(), ec);
  }
  removeDirectory();
  try {
    mapDrive(drive_, hadPrevious_ ? previous_ : std::string());
  } catch (const std::exception&) {
    // A destructor cannot fail the test; the next tree's start reports
    // what the mount manager says.
  }
}

}  // namespace torvex::testing
