#include <windows.h>

#include <string>

#include "platform/win_backend.h"

namespace torvex::win {

namespace {

// Wide calls: a name outside the ANSI code page, which the ANSI calls would
// report as a look-alike, is removed too.
bool removeTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = dir + L"\\" + name;
      // A reparse point is removed itself, never followed.
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removeTree(path);
      } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  return RemoveDirectoryW(dir.c_str()) != 0;
}

}  // namespace

bool createScratchDirectory(ScratchDirectory& out) {
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return false;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string path = std::string(temp) + "torvex-demo-" + std::to_string(GetCurrentProcessId()) +
                       "-" + std::to_string(GetTickCount() + attempt);
    if (CreateDirectoryA(path.c_str(), nullptr)) {
      out.hostPath = path;
      out.drivePath = path;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool removeScratchDirectory(const ScratchDirectory& dir) {
  std::wstring wide;
  return widePath(dir.hostPath.c_str(), wide) && removeTree(wide);
}

}  // namespace torvex::win
