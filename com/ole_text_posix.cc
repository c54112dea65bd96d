#include "com/ole_text_posix.h"

#include "platform/unicode.h"

namespace torvex {

std::u16string pathToOle(const std::string& bytes) { return unicode::bytesToUtf16(bytes); }

std::string pathFromOle(const char16_t* wide) {
  if (wide == nullptr) return {};
  return unicode::utf16ToBytes(wide);
}

}  // namespace torvex
