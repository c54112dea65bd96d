// Loaded modules on Windows: the loader's own answers.
#include <windows.h>

#include "platform/win_backend.h"

namespace torvex {

const char* componentLibraryName() { return "torvex.dll"; }

namespace win {

namespace {

// The long form of a module's file name: registration stores the path that
// the platform reports, never an 8.3 alias.
std::string longModuleFileName(HMODULE module) {
  char name[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(module, name, sizeof name);
  if (n == 0 || n >= sizeof name) return {};
  char longName[MAX_PATH + 1];
  const DWORD m = GetLongPathNameA(name, longName, sizeof longName);
  return m == 0 || m >= sizeof longName ? std::string(name, n) : std::string(longName, m);
}

}  // namespace

std::string modulePath(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const char*>(address), &module)) {
    return {};
  }
  return longModuleFileName(module);
}

std::string executablePath() { return longModuleFileName(nullptr); }

ModuleHandle* loadModule(const char* path) {
  // A missing or broken file is the caller's failure to report, never a
  // dialog in the host's face.
  DWORD previous = 0;
  const bool quiet =
      SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous) != 0;
  // The file the full path names; its own imports are looked for beside it.
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = GetLastError();
  if (quiet) SetThreadErrorMode(previous, nullptr);
  SetLastError(error);
  return reinterpret_cast<ModuleHandle*>(module);
}

void* moduleSymbol(ModuleHandle* module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void unloadModule(ModuleHandle* module) {
  if (module != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

}  // namespace win
}  // namespace torvex
