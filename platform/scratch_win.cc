#include <windows.h>

#include <string>

#include "platform/win_backend.h"

namespace torvex::win {

namespace {

bool removeTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      // A reparse point is removed itself, never followed.
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removeTree(path);
      } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return RemoveDirectoryA(dir.c_str()) != 0;
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

bool removeScratchDirectory(const ScratchDirectory& dir) { return removeTree(dir.hostPath); }

}  // namespace torvex::win
