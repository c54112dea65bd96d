// ANSI and OEM code pages are UTF-8 on POSIX; wide strings are UTF-16.
#include <cstring>
#include <string>

#include "platform/posix_backend.h"
#include "platform/unicode.h"

namespace torvex::posix {

int PosixPlatform::wideToAnsi(const char16_t* wide, char* out, int capacity) {
  if (!wide || capacity < 0 || (capacity > 0 && !out)) return failWith(kErrorInvalidParameter, 0);
  size_t len = 0;
  while (wide[len] != 0) ++len;
  const std::string text = unicode::utf16ToUtf8(std::u16string_view(wide, len));
  const size_t needed = text.size() + 1;
  if (needed > static_cast<size_t>(INT32_MAX)) return failWith(kErrorInvalidParameter, 0);
  if (capacity == 0) return static_cast<int>(needed);  // only counts
  if (needed > static_cast<size_t>(capacity)) return failWith(kErrorInsufficientBuffer, 0);
  std::memcpy(out, text.c_str(), needed);
  return static_cast<int>(needed);
}

namespace {

// MultiByteToWideChar's contract over one conversion.
int toWide(const char* text, int n, char16_t* out, int capacity,
           std::u16string (*convert)(std::string_view)) {
  if (!text || n == 0 || n < -1 || capacity < 0 || (capacity > 0 && !out)) {
    return failWith(kErrorInvalidParameter, 0);
  }
  // -1: up to and including the terminator, as MultiByteToWideChar takes it.
  const size_t length = n == -1 ? std::strlen(text) + 1 : static_cast<size_t>(n);
  const std::u16string wide = convert(std::string_view(text, length));
  if (wide.size() > static_cast<size_t>(INT32_MAX)) return failWith(kErrorInvalidParameter, 0);
  if (capacity == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(capacity)) return failWith(kErrorInsufficientBuffer, 0);
  std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
  return static_cast<int>(wide.size());
}

}  // namespace

int PosixPlatform::oemToWide(const char* text, int n, char16_t* out, int capacity) {
  return toWide(text, n, out, capacity, unicode::utf8ToUtf16);
}

int PosixPlatform::ansiToWide(const char* text, int n, char16_t* out, int capacity) {
  return toWide(text, n, out, capacity, unicode::bytesToUtf16);
}

}  // namespace torvex::posix
