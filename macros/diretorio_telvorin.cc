#include "macros/diretorio_telvorin.h"

#include "conventions/conventions.h"
#include "platform/platform.h"

namespace torvex {

std::optional<std::string> valorTelvorin() {
  std::string dados;
  if (!platform().registryRead(RegistryHive::LocalMachine, "Software\\Norvalis\\Telvorin",
                               "Telvorin", dados) ||
      dados.size() > kTamanhoCaminho) {
    return std::nullopt;
  }
  // The data is text up to its first NUL. Data that fills the whole buffer
  // without one has no terminator left: its end is unknown, so it counts as
  // too long rather than being cut at the buffer's edge.
  std::string texto = dados.substr(0, dados.find('\0'));
  if (texto.size() >= kTamanhoCaminho) return std::nullopt;
  return texto;
}

std::string leDiretorioTelvorin(const char* raiz) { return valorTelvorin().value_or(raiz); }

}  // namespace torvex
