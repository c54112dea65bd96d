// Class activation as a late-bound host does it: ProgID to CLSID through
// HKEY_CLASSES_ROOT, the class's InprocServer32 library loaded, its class
// object obtained and asked for an instance. Libraries stay loaded until the
// process ends, as COM keeps them until told to free unused ones.
#include <map>
#include <mutex>
#include <string>

#include "com/ole_text_posix.h"
#include "platform/platform.h"

using namespace torvex;

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);

std::string classKey(REFCLSID clsid) {
  OLECHAR text[40];
  StringFromGUID2(clsid, text, 40);
  return "CLSID\\" + pathFromOle(text);
}

// One load per library path for the process's life.
GetClassObjectFn classObjectEntry(const std::string& path) {
  static std::mutex lock;
  static std::map<std::string, GetClassObjectFn> loaded;
  std::lock_guard guard(lock);
  auto found = loaded.find(path);
  if (found != loaded.end()) return found->second;
  ModuleHandle* module = platform().loadModule(path.c_str());
  if (module == nullptr) return nullptr;
  auto entry = reinterpret_cast<GetClassObjectFn>(platform().moduleSymbol(module, "DllGetClassObject"));
  if (entry == nullptr) {
    platform().unloadModule(module);
    return nullptr;
  }
  loaded[path] = entry;
  return entry;
}

}  // namespace

HRESULT CoInitialize(PVOID) { return S_OK; }
void CoUninitialize() {}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  std::string key = pathFromOle(progId) + "\\CLSID";
  std::string text;
  if (!platform().registryRead(RegistryHive::ClassesRoot, key.c_str(), nullptr, text))
    return CO_E_CLASSSTRING;
  return CLSIDFromString(pathToOle(text).c_str(), clsid);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if ((context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  std::string path;
  if (!platform().registryRead(RegistryHive::ClassesRoot,
                               (classKey(clsid) + "\\InprocServer32").c_str(), nullptr, path))
    return REGDB_E_CLASSNOTREG;
  GetClassObjectFn entry = classObjectEntry(path);
  if (entry == nullptr) return CO_E_DLLNOTFOUND;
  IClassFactory* factory = nullptr;
  HRESULT hr = entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, riid, ppv);
  factory->Release();
  return hr;
}
