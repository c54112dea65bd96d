// BSTRs for the tests: made from UTF-16 literals, freed on scope exit.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex::testing {

using torvex::Bstr;

// OLECHAR is char16_t on POSIX and wchar_t on Windows: UTF-16 units on both.
static_assert(sizeof(OLECHAR) == sizeof(char16_t));

inline Bstr bstr(std::u16string_view texto) {
  return Bstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(texto.data()),
                                static_cast<UINT>(texto.size())));
}

// The text of a result; the null string gives the empty text.
inline std::u16string texto(const Bstr& b) {
  return b ? std::u16string(reinterpret_cast<const char16_t*>(b.get()), SysStringLen(b.get()))
           : std::u16string();
}

}  // namespace torvex::testing
