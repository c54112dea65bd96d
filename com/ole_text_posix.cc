#include "com/ole_text_posix.h"

namespace torvex {

namespace {

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 if invalid.
size_t decodeUtf8(const std::string& s, size_t i, char32_t* cp) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = byte(i);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  char32_t value = n == 1 ? b : b & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(i + k) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[n] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return n;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::u16string pathToOle(const std::string& bytes) {
  std::u16string wide;
  for (size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    size_t n = decodeUtf8(bytes, i, &cp);
    if (n == 0) {
      wide += static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(bytes[i]));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 | (cp - 0x10000) >> 10);
      wide += static_cast<char16_t>(0xDC00 | ((cp - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<char16_t>(cp);
    }
    i += n;
  }
  return wide;
}

std::string pathFromOle(const char16_t* wide) {
  std::string bytes;
  for (size_t i = 0; wide != nullptr && wide[i] != 0; ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      appendUtf8(bytes, 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      bytes += static_cast<char>(c & 0xFF);  // a byte that was not UTF-8
    } else {
      appendUtf8(bytes, c);
    }
  }
  return bytes;
}

}  // namespace torvex
