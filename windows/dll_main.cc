// The library entry of torvex.dll. The module's state (lock count, cached
// class factory, type information) lives in the component's own objects, so
// loading only switches off the per-thread notifications that it never uses.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
