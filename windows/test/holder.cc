// Holds a file open as an editor or a host reading it would, until told to
// let go: the Windows test's other program (scripts/windows-held.sh).
//
//   holder PATH ACCESS SHARE SIGNALS
//
// ACCESS is r (read) or rw (read and write); SHARE is what the holder lets
// others do meanwhile: read (FILE_SHARE_READ, as an editor that keeps its
// document), read-write (no delete share) or all (delete share too). Once
// the file is open the holder makes SIGNALS\held; it closes the file when
// SIGNALS\release appears, then makes SIGNALS\released. A file it cannot
// open ends it with status 1 and the Win32 error on stdout.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool parse(const char* access, const char* share, DWORD& accessMask, DWORD& shareMode) {
  if (std::strcmp(access, "r") == 0) {
    accessMask = GENERIC_READ;
  } else if (std::strcmp(access, "rw") == 0) {
    accessMask = GENERIC_READ | GENERIC_WRITE;
  } else {
    return false;
  }
  if (std::strcmp(share, "read") == 0) {
    shareMode = FILE_SHARE_READ;
  } else if (std::strcmp(share, "read-write") == 0) {
    shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
  } else if (std::strcmp(share, "all") == 0) {
    shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  DWORD access = 0, share = 0;
  if (argc != 5 || !parse(argv[2], argv[3], access, share)) {
    std::fprintf(stderr, "usage: holder PATH r|rw read|read-write|all SIGNALS\n");
    return 2;
  }
  const std::string signals = argv[4];
  HANDLE h = CreateFileA(argv[1], access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    std::printf("cannot open %s: error %lu\n", argv[1], GetLastError());
    return 1;
  }
  if (!touch(signals + "\\held")) return 1;
  const std::string release = signals + "\\release";
  // Five minutes at most: a test that forgets the holder does not hang for
  // ever.
  for (int waited = 0; GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited) {
    if (waited == 30000) return 1;
    Sleep(10);
  }
  CloseHandle(h);
  return touch(signals + "\\released") ? 0 : 1;
}
