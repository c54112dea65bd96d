// Exact conversions between UTF-16 and the ANSI code page. The system's
// defaults are lossy: WideCharToMultiByte picks a best-fit look-alike ("O"
// for "Ω") or "?" for a character the code page lacks, and
// MultiByteToWideChar replaces an invalid sequence. A name so converted
// names another file, or a pattern, so every loss is a failure here.
#include <windows.h>

#include "platform/win_backend.h"

namespace torvex::win {

int wideToAnsi(const wchar_t* wide, int n, char* out, int capacity) {
  // A UTF-8 code page has no best fit and takes no default-character
  // query; its only loss is an unpaired surrogate, which the flag refuses.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  const int got = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                      wide, n, out, capacity, nullptr,
                                      utf8 ? nullptr : &usedDefault);
  if (got == 0) {
    setLastError(GetLastError());
    return 0;
  }
  if (usedDefault) {
    setLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return got;
}

int ansiToWide(const char* text, int n, wchar_t* out, int capacity) {
  const int got = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, n, out, capacity);
  if (got == 0) setLastError(GetLastError());
  return got;
}

bool widePath(const char* path, std::wstring& wide) {
  const int units = ansiToWide(path, -1, nullptr, 0);
  if (units <= 0) return false;
  wide.resize(static_cast<size_t>(units));
  if (ansiToWide(path, -1, wide.data(), units) != units) return false;
  wide.pop_back();  // the terminator, which std::wstring keeps itself
  return true;
}

bool fileCallPath(const char* path, std::wstring& wide) {
  if (!widePath(path, wide)) return false;
  // The plain form serves below MAX_PATH less the 12 characters that a
  // folder to be made keeps for an 8.3 name inside it.
  if (wide.size() < MAX_PATH - 12) return true;
  const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (need == 0) return false;
  std::wstring full(need, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return false;
  full.resize(got);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') {
    wide = L"\\\\?\\" + full;
  } else if (full.rfind(L"\\\\", 0) == 0 && full.rfind(L"\\\\?\\", 0) != 0 &&
             full.rfind(L"\\\\.\\", 0) != 0) {
    wide = L"\\\\?\\UNC\\" + full.substr(2);
  } else {
    wide = full;
  }
  return true;
}

bool exactAnsiName(const wchar_t* name, std::string& out) {
  // Enough for any name of MAX_PATH units in any code page.
  char buf[4 * MAX_PATH];
  const int n = wideToAnsi(name, -1, buf, sizeof buf);
  if (n <= 0) return false;
  out.assign(buf, static_cast<size_t>(n - 1));
  return true;
}

std::string utf8Text(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();
  return out;
}

}  // namespace torvex::win
