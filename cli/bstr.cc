#include "cli/bstr.h"

#include "platform/unicode.h"

namespace torvex::cli {

Bstr bstrFromUtf8(std::string_view text) {
  std::u16string largo = unicode::utf8ToUtf16(text);
  return Bstr(SysAllocStringLen(largo.data(), static_cast<UINT>(largo.size())));
}

std::string utf8FromBstr(BSTR bstr) {
  if (bstr == nullptr) return {};
  return unicode::utf16ToUtf8(std::u16string_view(bstr, SysStringLen(bstr)));
}

}  // namespace torvex::cli
