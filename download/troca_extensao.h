// Received members share the archive's base name and differ by extension.
#pragma once

#include <cstddef>

namespace torvex {

// Replaces the text after the last "." of `caminho` (a buffer of
// `capacidade` bytes) by `extensao`; the "." stays. False, with the buffer
// left as it was, when the path has no "." or the result would not fit.
bool trocaExtensao(char* caminho, size_t capacidade, const char* extensao);

}  // namespace torvex
