// Owned BSTRs for the tests: made from UTF-16 literals, freed on scope exit.
#pragma once

#include <memory>
#include <string>

#include "platform/com.h"

namespace torvex::testing {

struct LiberaBstr {
  void operator()(OLECHAR* s) const { SysFreeString(s); }
};
using Bstr = std::unique_ptr<OLECHAR, LiberaBstr>;

inline Bstr bstr(std::u16string_view texto) {
  return Bstr(SysAllocStringLen(texto.data(), static_cast<UINT>(texto.size())));
}

// The text of a result, and whether it was the null string.
inline std::u16string texto(const Bstr& b) {
  return b ? std::u16string(b.get(), SysStringLen(b.get())) : std::u16string();
}

}  // namespace torvex::testing
