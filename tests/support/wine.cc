#include "tests/support/wine.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace torvex::testing {

bool underWine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace torvex::testing
