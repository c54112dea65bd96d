#include "cli/bstr.h"

#include <climits>

#include "platform/platform.h"

namespace torvex::cli {

// A BSTR holds UTF-16 units: char16_t on POSIX, wchar_t on Windows.
Bstr bstrFromText(std::string_view text) {
  std::u16string wide;
  if (!text.empty() && text.size() <= INT_MAX) {
    const int n = static_cast<int>(text.size());
    const int units = platform().ansiToWide(text.data(), n, nullptr, 0);
    wide.resize(static_cast<size_t>(units > 0 ? units : 0));
    if (units <= 0 || platform().ansiToWide(text.data(), n, wide.data(), units) != units) {
      wide.clear();
    }
  }
  return Bstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                static_cast<UINT>(wide.size())));
}

std::string textFromBstr(BSTR bstr) {
  if (bstr == nullptr) return {};
  // wideToAnsi stops at the first NUL, as every argument conversion does.
  const std::u16string wide(reinterpret_cast<const char16_t*>(bstr), SysStringLen(bstr));
  const int bytes = platform().wideToAnsi(wide.c_str(), nullptr, 0);
  if (bytes <= 0) return {};
  std::string text(static_cast<size_t>(bytes), '\0');
  if (platform().wideToAnsi(wide.c_str(), text.data(), bytes) != bytes) return {};
  text.pop_back();
  return text;
}

}  // namespace torvex::cli
