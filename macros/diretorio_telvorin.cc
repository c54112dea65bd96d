#include "macros/diretorio_telvorin.h"

#include "conventions/conventions.h"
#include "platform/platform.h"

namespace torvex {

std::string leDiretorioTelvorin(const char* raiz) {
  std::string dados;
  if (!platform().registryRead(RegistryHive::LocalMachine, "Software\\Norvalis\\Telvorin",
                               "Telvorin", dados) ||
      dados.size() > kTamanhoCaminho) {
    return raiz;
  }
  // The data is text up to its first NUL. Data that fills the whole buffer
  // without one has no terminator left: its end is unknown, so it counts as
  // too long rather than being cut at the buffer's edge.
  std::string texto = dados.substr(0, dados.find('\0'));
  if (texto.size() >= kTamanhoCaminho) return raiz;
  return texto;
}

}  // namespace torvex
