// `torvex register` and `torvex unregister`: load the server library and call
// its registration entry, as a registration tool does; the HRESULT is printed
// in hex. The library is the one beside this executable (a build tree, or
// Windows), else the one installed with it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/subcomandos.h"
#include "cli/uso.h"
#include "platform/module.h"

namespace torvex::cli {

namespace {

using EntradaRegistro = HRESULT (*)();

// Beside the executable, then where the install rules put it.
std::vector<std::string> lugaresDaBiblioteca() {
  std::string exe = executablePath();
  size_t fim = exe.find_last_of("/\\");
  const std::string pasta = fim == std::string::npos ? std::string() : exe.substr(0, fim + 1);
  return {pasta + componentLibraryName(),
          pasta + TORVEX_INSTALLED_LIBRARY_DIR "/" + componentLibraryName()};
}

int chamaEntrada(std::span<char* const> args, const char* entrada) {
  if (!args.empty()) return erroDeUso(std::string(entrada) + " takes no arguments");
  std::string caminho;
  ModuleHandle* biblioteca = nullptr;
  for (const std::string& lugar : lugaresDaBiblioteca()) {
    biblioteca = loadModule(lugar.c_str());
    caminho += (caminho.empty() ? "" : " or ") + lugar;
    if (biblioteca != nullptr) {
      caminho = lugar;
      break;
    }
  }
  if (biblioteca == nullptr) {
    std::fprintf(stderr, "torvex: cannot load %s\n", caminho.c_str());
    return kSaidaFalha;
  }
  auto chama = reinterpret_cast<EntradaRegistro>(moduleSymbol(biblioteca, entrada));
  if (chama == nullptr) {
    std::fprintf(stderr, "torvex: %s has no entry %s\n", caminho.c_str(), entrada);
    unloadModule(biblioteca);
    return kSaidaFalha;
  }
  HRESULT hr = chama();
  unloadModule(biblioteca);
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
