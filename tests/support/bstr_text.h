// BSTRs for the tests: made from UTF-16 literals, freed on scope exit.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex::testing {

using torvex::Bstr;

inline Bstr bstr(std::u16string_view texto) {
  return Bstr(SysAllocStringLen(texto.data(), static_cast<UINT>(texto.size())));
}

// The text of a result; the null string gives the empty text.
inline std::u16string texto(const Bstr& b) {
  return b ? std::u16string(b.get(), SysStringLen(b.get())) : std::u16string();
}

}  // namespace torvex::testing
