// The name descriptor ("FN") that travels inside a received archive: the
// destination FI, the stamp and the disposition code, one per line.
#pragma once

#include <string_view>

#include "component/conventions.h"

namespace torvex {

struct DescritorNome {
  char fi[kTamanhoCaminho] = {};
  char carimbo[kTamanhoCaminho] = {};
  char disposicao[kTamanhoCaminho] = {};
};

// Each line is read with a limit of 79 characters, as an 80-byte fgets in
// text mode would, so a longer line spills into the next field; the first
// line feed of a field is cut off. Fields past the end of a shorter file stay
// empty. False when the descriptor cannot be opened.
bool leDescritor(const char* caminho, DescritorNome& descritor);

// The same reading of a descriptor whose bytes are already in memory.
void leDescritor(std::string_view bytes, DescritorNome& descritor);

}  // namespace torvex
