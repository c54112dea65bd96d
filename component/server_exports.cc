// The four entry points of the in-process server.
#include "component/server_exports.h"

#include "component/interface_description.h"
#include "component/registration.h"
#include "component/server_module.h"
#include "platform/platform.h"

using torvex::serverModule;

namespace {

std::string thisModulePath() { return torvex::platform().modulePath(&torvex::kTorvexTypeLib); }

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  return serverModule().classObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return serverModule().lockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  serverModule();  // loaded: its type library is findable
  std::string path = thisModulePath();
  HRESULT hr = torvex::registraEntradas(path);
  if (FAILED(hr)) return hr;
  return torvex::registraTypeLib(path);
}

STDAPI DllUnregisterServer() {
  serverModule();
  std::string path = thisModulePath();
  torvex::removeEntradas();
  torvex::removeTypeLib(path);
  return S_OK;
}
