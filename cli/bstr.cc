#include "cli/bstr.h"

#include "platform/unicode.h"

namespace torvex::cli {

Bstr bstrDeUtf8(std::string_view texto) {
  std::u16string largo = unicode::utf8ToUtf16(texto);
  return Bstr(SysAllocStringLen(largo.data(), static_cast<UINT>(largo.size())));
}

std::string utf8DeBstr(BSTR bstr) {
  if (bstr == nullptr) return {};
  return unicode::utf16ToUtf8(std::u16string_view(bstr, SysStringLen(bstr)));
}

}  // namespace torvex::cli
