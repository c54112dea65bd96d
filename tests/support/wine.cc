#include "tests/support/wine.h"

#ifdef _WIN32
#include <windows.h>

#include <stdexcept>
#endif

namespace torvex::testing {

bool underWine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

#ifdef _WIN32
namespace {

template <typename Entry>
Entry wineEntry(const char* name) {
  FARPROC entry = GetProcAddress(GetModuleHandleW(L"kernel32"), name);
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(entry));
}

}  // namespace

std::optional<std::filesystem::path> wineWindowsPath(const std::string& unixPath) {
  using DosFileName = WCHAR*(CDECL*)(const char*);
  const auto convert = wineEntry<DosFileName>("wine_get_dos_file_name");
  if (!convert) return std::nullopt;
  WCHAR* dos = convert(unixPath.c_str());
  if (!dos) throw std::runtime_error("Wine gives no Windows path for " + unixPath);
  std::filesystem::path path(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return path;
}

std::optional<std::string> wineUnixPath(const std::filesystem::path& path) {
  using UnixFileName = char*(CDECL*)(const WCHAR*);
  const auto convert = wineEntry<UnixFileName>("wine_get_unix_file_name");
  if (!convert) return std::nullopt;
  char* unix = convert(path.c_str());
  if (!unix) throw std::runtime_error("Wine gives no Unix path for " + path.string());
  std::string text(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return text;
}
#endif

}  // namespace torvex::testing
