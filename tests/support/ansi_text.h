// The accented names of the tests as the back end's ANSI code page writes
// them: UTF-8 on POSIX, Windows-1252 on Windows (the code page the Windows
// suites run under, see scripts/windows-suites.sh).
#pragma once

#include <string>
#include <string_view>

namespace torvex::testing {

// `utf8` may hold letters of U+00A0..U+00FF only, where Windows-1252 is
// Latin-1: each two-byte sequence becomes its one byte.
inline std::string ansi(std::string_view utf8) {
#ifdef _WIN32
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
#else
  return std::string(utf8);
#endif
}

}  // namespace torvex::testing
