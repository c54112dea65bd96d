// The ANSI code page is UTF-8 on POSIX, with every byte that is not UTF-8
// carried as U+DC80 + byte; wide strings are UTF-16.
#include <cstring>
#include <string>

#include "platform/posix_backend.h"
#include "platform/unicode.h"

namespace torvex::posix {

int PosixPlatform::wideToAnsi(const char16_t* wide, char* out, int capacity) {
  if (!wide || capacity < 0 || (capacity > 0 && !out)) return failWith(kErrorInvalidParameter, 0);
  size_t len = 0;
  while (wide[len] != 0) ++len;
  const std::u16string_view text(wide, len);
  const std::string bytes = unicode::utf16ToBytes(text);
  // Only a text that comes back unchanged has an exact 8-bit form: an
  // unpaired surrogate, or escaped bytes that together spell a UTF-8
  // character, would name what another text names.
  if (unicode::bytesToUtf16(bytes) != text) return failWith(kErrorNoUnicodeTranslation, 0);
  const size_t needed = bytes.size() + 1;
  if (needed > static_cast<size_t>(INT32_MAX)) return failWith(kErrorInvalidParameter, 0);
  if (capacity == 0) return static_cast<int>(needed);  // only counts
  if (needed > static_cast<size_t>(capacity)) return failWith(kErrorInsufficientBuffer, 0);
  std::memcpy(out, bytes.c_str(), needed);
  return static_cast<int>(needed);
}

int PosixPlatform::ansiToWide(const char* text, int n, char16_t* out, int capacity) {
  if (!text || n == 0 || n < -1 || capacity < 0 || (capacity > 0 && !out)) {
    return failWith(kErrorInvalidParameter, 0);
  }
  // -1: up to and including the terminator, as MultiByteToWideChar takes it.
  const size_t length = n == -1 ? std::strlen(text) + 1 : static_cast<size_t>(n);
  const std::u16string wide = unicode::bytesToUtf16(std::string_view(text, length));
  if (wide.size() > static_cast<size_t>(INT32_MAX)) return failWith(kErrorInvalidParameter, 0);
  if (capacity == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(capacity)) return failWith(kErrorInsufficientBuffer, 0);
  std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
  return static_cast<int>(wide.size());
}

}  // namespace torvex::posix
