#include "conventions/arguments.h"

#include <cstring>
#include <limits>
#include <vector>

namespace torvex {

Argumento::Argumento(BSTR bstr) {
  if (bstr == nullptr) {
    nulo_ = true;
    return;
  }
  // wideToAnsi answers 0 when the text with its terminator does not fit.
  // A BSTR holds UTF-16 units: char16_t on POSIX, wchar_t on Windows.
  if (platform().wideToAnsi(reinterpret_cast<const char16_t*>(bstr), texto_,
                            static_cast<int>(sizeof texto_)) <= 0) {
    texto_[0] = '\0';
    valido_ = false;
  }
}

Argumento& Argumento::normalizado() {
  normalizaPath(texto_);
  return *this;
}

BSTR resultadoAnsi(const char* texto) {
  size_t tamanho = std::strlen(texto);
  if (tamanho == 0 || tamanho > static_cast<size_t>(std::numeric_limits<int>::max())) return nullptr;
  int n = static_cast<int>(tamanho);
  int largos = platform().ansiToWide(texto, n, nullptr, 0);
  if (largos <= 0) return nullptr;
  std::vector<OLECHAR> convertido(static_cast<size_t>(largos));
  char16_t* unidades = reinterpret_cast<char16_t*>(convertido.data());
  if (platform().ansiToWide(texto, n, unidades, largos) != largos) return nullptr;
  return SysAllocStringLen(convertido.data(), static_cast<UINT>(largos));
}

}  // namespace torvex
