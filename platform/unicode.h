// Character-level helpers shared by the back ends: UTF-8 and UTF-16
// conversion, and the per-character upper-casing that Windows applies when it
// compares names (its volume upper-case table covers far more than ASCII).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvex::unicode {

// Decodes UTF-8 into code points. A byte that does not start a valid sequence
// becomes U+DC80 + byte (an unpaired low surrogate), so every name decodes to
// something that compares equal only to itself.
std::u32string decodeUtf8(std::string_view text);

// decodeUtf8 as UTF-16 code units, so that every byte string survives.
std::u16string bytesToUtf16(std::string_view text);
// Its inverse: U+DC80 + byte gives the byte back.
std::string utf16ToBytes(std::u16string_view wide);

// Upper case of one code point: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters; everything else is returned unchanged.
char32_t upperCase(char32_t c);

// decodeUtf8 with upperCase applied to each code point.
std::u32string foldedName(std::string_view text);

// How NTFS orders two names in a directory: by their upper-cased UTF-16
// code units, compared ordinally; below 0, 0 or above 0. Compares in place,
// so that sorting a large directory needs no key per name.
int compareSortKeys(std::string_view a, std::string_view b);

// True when both names are the same text ignoring letter case.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// UTF-16 to UTF-8; an unpaired surrogate becomes "?", as Windows writes its
// default character for what it cannot convert.
std::string utf16ToUtf8(std::u16string_view wide);

}  // namespace torvex::unicode
