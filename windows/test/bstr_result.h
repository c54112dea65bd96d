// What the Windows test programs share: an owned BSTR for arguments, and the
// printing of a string a method returned.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdio>

// An owned wide string for arguments, freed at scope exit.
class Bstr {
 public:
  explicit Bstr(const wchar_t* s) : s_(SysAllocString(s)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(s_); }
  operator BSTR() const { return s_; }

 private:
  BSTR s_;
};

// The string a method returned: "(null)" for a null BSTR, else its text in
// the ANSI code page; the BSTR is freed.
inline void showResult(const char* what, BSTR s) {
  if (!s) {
    std::printf("%s: (null)\n", what);
    return;
  }
  char text[512];
  const int n = WideCharToMultiByte(CP_ACP, 0, s, -1, text, sizeof text, nullptr, nullptr);
  std::printf("%s: %s\n", what, n > 0 ? text : "(unconvertible)");
  SysFreeString(s);
}
