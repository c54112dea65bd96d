#include "component/server_module.h"

#include "component/class_factory.h"
#include "component/interface_description.h"
#include "component/type_library_resource.h"

namespace torvex {

ServerModule::ServerModule() { announceTypeLibResource(); }

ServerModule::~ServerModule() { unload(); }

HRESULT ServerModule::classObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (clsid != kClsidControlador) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  {
    ModuleLock::Guard guard(moduleLock_);
    if (cachedFactory_ == nullptr) cachedFactory_ = newControladorFactory();
    if (cachedFactory_ == nullptr) return E_OUTOFMEMORY;
    factory = cachedFactory_;
    factory->AddRef();  // kept alive while unlocked, whatever unload() does meanwhile
  }
  HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}

void ServerModule::unload() {
  IClassFactory* factory = nullptr;
  std::vector<void (*)()> routines;
  {
    ModuleLock::Guard guard(moduleLock_);
    factory = cachedFactory_;
    cachedFactory_ = nullptr;
    routines.swap(unloadList_);
  }
  if (factory != nullptr) factory->Release();
  for (auto routine : routines) routine();
}

ServerModule& serverModule() {
  static ServerModule module;
  return module;
}

}  // namespace torvex
