#include "component/registration.h"

#include "component/guid_text.h"
#include "component/interface_description.h"
#include "platform/module.h"
#include "platform/platform.h"

namespace torvex {

namespace {

enum class Marca { Nenhuma, NoRemove, ForceRemove };

struct Entrada {
  const char* chave;  // under HKEY_CLASSES_ROOT; %CLSID% stands for the class GUID
  const char* valor;  // null: the key's default value
  const char* dado;   // null: the key alone; %CLSID%, %LIBID%, %MODULE% are replaced
  Marca marca;
};

constexpr Entrada kEntradas[] = {
    {"TORVEX.Controlador.1", nullptr, "Controlador Class", Marca::Nenhuma},
    {"TORVEX.Controlador.1\\CLSID", nullptr, "%CLSID%", Marca::Nenhuma},
    {"TORVEX.Controlador", nullptr, "Controlador Class", Marca::Nenhuma},
    {"TORVEX.Controlador\\CLSID", nullptr, "%CLSID%", Marca::Nenhuma},
    {"TORVEX.Controlador\\CurVer", nullptr, "TORVEX.Controlador.1", Marca::Nenhuma},
    {"CLSID", nullptr, nullptr, Marca::NoRemove},
    {"CLSID\\%CLSID%", nullptr, "Controlador Class", Marca::ForceRemove},
    {"CLSID\\%CLSID%\\ProgID", nullptr, "TORVEX.Controlador.1", Marca::Nenhuma},
    {"CLSID\\%CLSID%\\VersionIndependentProgID", nullptr, "TORVEX.Controlador", Marca::Nenhuma},
    {"CLSID\\%CLSID%\\Programmable", nullptr, nullptr, Marca::ForceRemove},
    {"CLSID\\%CLSID%\\InprocServer32", nullptr, "%MODULE%", Marca::Nenhuma},
    {"CLSID\\%CLSID%\\InprocServer32", "ThreadingModel", "Apartment", Marca::Nenhuma},
    {"CLSID\\%CLSID%\\TypeLib", nullptr, "%LIBID%", Marca::Nenhuma},
};

void substitui(std::string& texto, const std::string& marcador, const std::string& valor) {
  for (size_t at = texto.find(marcador); at != std::string::npos;
       at = texto.find(marcador, at + valor.size()))
    texto.replace(at, marcador.size(), valor);
}

std::string expande(const char* modelo, const std::string& modulePath) {
  std::string texto = modelo;
  substitui(texto, "%CLSID%", guidTextBraced(kClsidControlador));
  substitui(texto, "%LIBID%", guidTextBraced(kLibidTorvexLib));
  substitui(texto, "%MODULE%", modulePath);  // the module path last: it may hold anything
  return texto;
}

bool escreve(const Entrada& e, const std::string& modulePath) {
  Platform& p = platform();
  std::string chave = expande(e.chave, modulePath);
  if (e.marca == Marca::ForceRemove &&
      !p.registryDeleteTree(RegistryHive::ClassesRoot, chave.c_str()))
    return false;
  if (!p.registryCreateKey(RegistryHive::ClassesRoot, chave.c_str())) return false;
  return e.dado == nullptr || p.registrySetValue(RegistryHive::ClassesRoot, chave.c_str(), e.valor,
                                                 expande(e.dado, modulePath));
}

// A key is removed with its subtree when no key above it in the table is
// removed already and it is not marked NoRemove.
bool removidaPorAscendente(const std::string& chave) {
  for (const Entrada& e : kEntradas) {
    std::string acima = expande(e.chave, "");
    if (e.marca != Marca::NoRemove && chave.size() > acima.size() &&
        chave.compare(0, acima.size(), acima) == 0 && chave[acima.size()] == '\\')
      return true;
  }
  return false;
}

// The keys that removeEntradas deletes with their subtrees.
bool removidaComSubchaves(const Entrada& e) {
  return e.marca != Marca::NoRemove && !removidaPorAscendente(expande(e.chave, ""));
}

std::string comExtensaoTlb(const std::string& path) {
  size_t ponto = path.rfind('.');
  size_t separador = path.find_last_of("\\/:");
  if (ponto == std::string::npos || (separador != std::string::npos && ponto < separador))
    return path + ".tlb";
  return path.substr(0, ponto) + ".tlb";
}

// The type library from the module file, else from the ".tlb" beside it;
// `origem` receives the path it came from.
HRESULT carregaTypeLib(const std::string& modulePath, ITypeLib** lib, std::string& origem) {
  origem = modulePath;
  HRESULT hr = LoadTypeLib(modulePathOle(origem).c_str(), lib);
  if (SUCCEEDED(hr)) return hr;
  origem = comExtensaoTlb(modulePath);
  return LoadTypeLib(modulePathOle(origem).c_str(), lib);
}

}  // namespace

HRESULT registraEntradas(const std::string& modulePath) {
  for (const Entrada& e : kEntradas) {
    if (!escreve(e, modulePath)) {
      removeEntradas();
      return REGDB_E_WRITEREGDB;
    }
  }
  return S_OK;
}

void removeEntradas() {
  for (const Entrada& e : kEntradas) {
    if (removidaComSubchaves(e))
      platform().registryDeleteTree(RegistryHive::ClassesRoot, expande(e.chave, "").c_str());
  }
}

std::vector<EntradaRegistro> entradasRegistro(const std::string& modulePath) {
  std::vector<EntradaRegistro> entradas;
  for (const Entrada& e : kEntradas) {
    if (e.marca == Marca::NoRemove) continue;
    EntradaRegistro r{expande(e.chave, modulePath), e.valor ? e.valor : "", std::nullopt,
                      removidaComSubchaves(e), e.marca == Marca::ForceRemove};
    if (e.dado) r.dado = expande(e.dado, modulePath);
    entradas.push_back(std::move(r));
  }
  return entradas;
}

HRESULT registraTypeLib(const std::string& modulePath) {
  ITypeLib* lib = nullptr;
  std::string origem;
  HRESULT hr = carregaTypeLib(modulePath, &lib, origem);
  if (FAILED(hr)) return hr;
  size_t fim = origem.find_last_of("\\/:");
  std::string helpDir = fim == std::string::npos ? std::string() : origem.substr(0, fim + 1);
  // Windows declares both paths as non-const strings.
  std::basic_string<OLECHAR> caminho = modulePathOle(origem), ajuda = modulePathOle(helpDir);
  hr = RegisterTypeLib(lib, caminho.data(), ajuda.data());
  lib->Release();
  return hr;
}

void removeTypeLib(const std::string& modulePath) {
  ITypeLib* lib = nullptr;
  std::string origem;
  if (FAILED(carregaTypeLib(modulePath, &lib, origem))) return;
  TLIBATTR* attr = nullptr;
  if (SUCCEEDED(lib->GetLibAttr(&attr))) {
    UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                      attr->syskind);
    lib->ReleaseTLibAttr(attr);
  }
  lib->Release();
}

}  // namespace torvex
