// Any bytes as a name descriptor: every field stays within its 79 characters,
// holds no line feed, and nothing is read or written out of bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "download/descritor_nome.h"
#include "platform/file.h"

namespace {

// Z: maps to / when no drive mapping is set.
constexpr const char* kDescritor = "Z:/tmp/torvex-fuzz-descritor.FN";

void verifica(const char* campo) {
  const size_t n = std::strlen(campo);
  if (n > 79 || std::memchr(campo, '\n', n)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  {
    torvex::File f(kDescritor, torvex::OpenMode::Write);
    if (!f || !f.writeAll(dados, tamanho)) return 0;
  }
  torvex::DescritorNome d;
  if (!torvex::leDescritor(kDescritor, d)) std::abort();
  verifica(d.fi);
  verifica(d.carimbo);
  verifica(d.disposicao);
  return 0;
}
