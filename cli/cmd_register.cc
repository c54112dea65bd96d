// `torvex register` and `torvex unregister`: load the server library from
// beside this executable and call its registration entry, as a registration
// tool does; the HRESULT is printed in hex.
#include <cstdio>
#include <string>

#include "cli/subcommands.h"
#include "cli/usage.h"
#include "com/com.h"
#include "platform/platform.h"

namespace torvex::cli {

namespace {

using EntradaRegistro = HRESULT (*)();

std::string bibliotecaAoLado() {
  std::string exe = platform().executablePath();
  size_t fim = exe.find_last_of("/\\");
  return (fim == std::string::npos ? std::string() : exe.substr(0, fim + 1)) +
         componentLibraryName();
}

int chamaEntrada(std::span<char* const> args, const char* entrada) {
  if (!args.empty()) return erroDeUso(std::string(entrada) + " takes no arguments");
  std::string caminho = bibliotecaAoLado();
  ModuleHandle* biblioteca = platform().loadModule(caminho.c_str());
  if (biblioteca == nullptr) {
    std::fprintf(stderr, "torvex: cannot load %s\n", caminho.c_str());
    return kSaidaFalha;
  }
  auto chama = reinterpret_cast<EntradaRegistro>(platform().moduleSymbol(biblioteca, entrada));
  if (chama == nullptr) {
    std::fprintf(stderr, "torvex: %s has no entry %s\n", caminho.c_str(), entrada);
    platform().unloadModule(biblioteca);
    return kSaidaFalha;
  }
  HRESULT hr = chama();
  platform().unloadModule(biblioteca);
  std::printf("0x%08X\n", static_cast<unsigned>(hr));
  return SUCCEEDED(hr) ? kSaidaOk : kSaidaFalha;
}

}  // namespace

int executaRegister(std::span<char* const> args) {
  return chamaEntrada(args, "DllRegisterServer");
}

int executaUnregister(std::span<char* const> args) {
  return chamaEntrada(args, "DllUnregisterServer");
}

}  // namespace torvex::cli
