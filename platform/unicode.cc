#include "platform/unicode.h"

#include <cstdint>

namespace torvex::unicode {
namespace {

constexpr char32_t kEscapedByteBase = 0xDC80;

// Length of the UTF-8 sequence at `s` and its code point; 0 when invalid.
size_t decodeOne(std::string_view s, size_t i, char32_t& out) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    out = b0;
    return 1;
  }
  size_t len;
  char32_t cp, min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  out = cp;
  return len;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
  }
}

// The code point at `i`, or the escape of its byte, moving `i` past it.
char32_t decodeAt(std::string_view text, size_t& i) {
  char32_t cp;
  const size_t len = decodeOne(text, i, cp);
  if (len == 0) return kEscapedByteBase + static_cast<unsigned char>(text[i++]) - 0x80;
  i += len;
  return cp;
}

// Where a code point falls in UTF-16 order: the BMP below the surrogates,
// then the characters beyond the BMP (their lead surrogates), then the rest
// of the BMP, escaped bytes included.
uint32_t utf16Rank(char32_t c) { return c < 0xD800 || c >= 0x10000 ? c : c + 0x110000; }

}  // namespace

std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) out.push_back(decodeAt(text, i));
  return out;
}

char32_t upperCase(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c < 0xE0) return c == 0xB5 ? 0x39C : c;
  if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs capital/small on even/odd code points, except
    // for the block from U+0139 to U+0148 and from U+0179 to U+017E, which
    // pair odd/even; U+0131 (dotless i) and U+0138 (kra) stand alone.
    bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x131) return 'I';
    if (c == 0x138 || c == 0x149 || c == 0x17F) return c == 0x17F ? 'S' : c;
    if (oddCapitals) return (c % 2 == 0) ? c - 1 : c;
    return (c % 2 == 1) ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

std::u32string foldedName(std::string_view text) {
  std::u32string out = decodeUtf8(text);
  for (char32_t& c : out) c = upperCase(c);
  return out;
}

int compareSortKeys(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const uint32_t x = utf16Rank(upperCase(decodeAt(a, i)));
    const uint32_t y = utf16Rank(upperCase(decodeAt(b, j)));
    if (x != y) return x < y ? -1 : 1;
  }
  return static_cast<int>(i < a.size()) - static_cast<int>(j < b.size());
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  // ASCII runs compare byte by byte; from the first other byte on, by code
  // point ("ı" and "ſ" fold to ASCII letters).
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x | y) >= 0x80) return compareSortKeys(a.substr(i), b.substr(i)) == 0;
    if (x != y && upperCase(x) != upperCase(y)) return false;
  }
  return a.size() == b.size();
}

std::string utf16ToUtf8(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = '?';
    }
    appendUtf8(out, c);
  }
  return out;
}

std::u16string bytesToUtf16(std::string_view text) {
  std::u16string wide;
  for (char32_t cp : decodeUtf8(text)) appendUtf16(wide, cp);
  return wide;
}

std::string utf16ToBytes(std::u16string_view wide) {
  std::string bytes;
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      appendUtf8(bytes, 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
      ++i;
    } else if (c >= kEscapedByteBase && c <= kEscapedByteBase + 0x7F) {
      bytes += static_cast<char>(c - kEscapedByteBase + 0x80);  // a byte that was not UTF-8
    } else {
      appendUtf8(bytes, c);
    }
  }
  return bytes;
}

}  // namespace torvex::unicode
