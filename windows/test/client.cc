// Checks of torvex.dll that a script host cannot make: the server exports and
// the lock count, early binding through the interface table, IObjectSafety,
// and the type information behind IDispatch. Every result is printed as one
// "what: value" line; the Wine test compares the whole output with
// client_<mode>.expected.
//
//   client unregistered DLLPATH  before regsvr32: loads the library itself
//   client registered            after regsvr32: creates through COM
#include <initguid.h>  // the generated header's GUIDs are defined here

#include <cguid.h>
#include <objsafe.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "bstr_result.h"
#include "torvex_idl.h"

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

// {6C1D3E53-0D4F-4C86-9A57-3B8E2B61E0A4}: no class of ours.
const CLSID kForeignClsid = {
    0x6c1d3e53, 0x0d4f, 0x4c86, {0x9a, 0x57, 0x3b, 0x8e, 0x2b, 0x61, 0xe0, 0xa4}};

constexpr DISPID kExisteArquivo = 0x60020002;
constexpr DISPID kRecuperaControleDownload = 0x60020005;

int failures = 0;

void show(const char* what, HRESULT hr) {
  std::printf("%s: 0x%08lX\n", what, static_cast<unsigned long>(hr));
}
void showNumber(const char* what, long value) { std::printf("%s: %ld\n", what, value); }
void expect(const char* what, bool ok) {
  std::printf("%s: %s\n", what, ok ? "yes" : "no");
  if (!ok) ++failures;
}

// Calls through the interface table: no type library needed.
void earlyBinding(IControlador* c) {
  Bstr windows(L"C:\\windows\\");
  Bstr missing(L"C:\\torvex-missing\\x.txt");
  Bstr noRoot(L"C:\\torvex-missing");
  showNumber("early existeArquivo existing", static_cast<long>(c->existeArquivo(windows)));
  showNumber("early existeArquivo missing", static_cast<long>(c->existeArquivo(missing)));
  showNumber("early deletaArquivo missing", static_cast<long>(c->deletaArquivo(missing)));
  showResult("early recuperaControleDownload", c->recuperaControleDownload(noRoot));
  showResult("early recuperaArquivoUpload", c->recuperaArquivoUpload(noRoot, 1));
}

void interfaceMap(IControlador* c) {
  IUnknown* unknown = nullptr;
  IDispatch* dispatch = nullptr;
  IObjectSafety* safety = nullptr;
  IClassFactory* factory = nullptr;
  show("QueryInterface IUnknown", c->QueryInterface(IID_IUnknown, (void**)&unknown));
  show("QueryInterface IDispatch", c->QueryInterface(IID_IDispatch, (void**)&dispatch));
  show("QueryInterface IObjectSafety", c->QueryInterface(IID_IObjectSafety, (void**)&safety));
  show("QueryInterface IClassFactory", c->QueryInterface(IID_IClassFactory, (void**)&factory));
  expect("IUnknown is the IControlador pointer", unknown == static_cast<IUnknown*>(c));
  expect("IDispatch is the IControlador pointer", dispatch == static_cast<IDispatch*>(c));
  expect("IClassFactory pointer null", factory == nullptr);
  if (unknown) unknown->Release();
  if (dispatch) dispatch->Release();
  if (safety) safety->Release();
}

void objectSafety(IControlador* c) {
  IObjectSafety* safety = nullptr;
  if (FAILED(c->QueryInterface(IID_IObjectSafety, (void**)&safety))) {
    expect("IObjectSafety available", false);
    return;
  }
  DWORD supported = 7, enabled = 7;
  show("safety get null supported", safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled));
  show("safety get null enabled", safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr));
  show("safety get IDispatch", safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
  showNumber("safety supported", static_cast<long>(supported));
  showNumber("safety enabled", static_cast<long>(enabled));
  show("safety set mask 2", safety->SetInterfaceSafetyOptions(IID_IDispatch, 2, 2));
  show("safety set mask 1 enabled 1", safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1));
  safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
  showNumber("safety enabled after set", static_cast<long>(enabled));
  show("safety set mask 1 enabled 0", safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0));
  safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
  showNumber("safety enabled after clear", static_cast<long>(enabled));
  show("safety set IClassFactory", safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1));
  supported = enabled = 7;
  show("safety get IClassFactory", safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled));
  showNumber("safety IClassFactory supported", static_cast<long>(supported));
  showNumber("safety IClassFactory enabled", static_cast<long>(enabled));
  safety->Release();
}

// Late binding before registration: everything that needs the type
// information fails with the failure of loading the registered library.
void lateBindingUnregistered(IControlador* c) {
  UINT count = 0;
  show("unregistered GetTypeInfoCount", c->GetTypeInfoCount(&count));
  showNumber("unregistered type info count", static_cast<long>(count));
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
  show("unregistered GetTypeInfo", c->GetTypeInfo(0, 0, &info));
  expect("unregistered GetTypeInfo out null", info == nullptr);
  LPOLESTR name = const_cast<LPOLESTR>(L"existeArquivo");
  DISPID id = 0;
  show("unregistered GetIDsOfNames", c->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  show("unregistered Invoke",
       c->Invoke(kExisteArquivo, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
}

// Invokes one method with one string argument; prints the HRESULT and the
// type of the result.
void invokeWithString(IDispatch* d, const char* what, DISPID id, const wchar_t* arg) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(arg);
  DISPPARAMS params = {&v, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  char line[128];
  std::snprintf(line, sizeof line, "%s Invoke", what);
  show(line, d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr));
  std::snprintf(line, sizeof line, "%s result type", what);
  showNumber(line, static_cast<long>(result.vt));
  if (result.vt == VT_I4) {
    std::snprintf(line, sizeof line, "%s result", what);
    showNumber(line, static_cast<long>(result.lVal));
  } else if (result.vt == VT_BSTR) {
    std::snprintf(line, sizeof line, "%s result null", what);
    expect(line, result.bstrVal == nullptr);
  }
  VariantClear(&result);
  VariantClear(&v);
}

void lateBindingRegistered(IControlador* c) {
  UINT count = 0;
  show("GetTypeInfoCount", c->GetTypeInfoCount(&count));
  showNumber("type info count", static_cast<long>(count));
  show("GetTypeInfoCount null", c->GetTypeInfoCount(nullptr));
  show("GetTypeInfo null", c->GetTypeInfo(0, 0, nullptr));
  ITypeInfo* first = nullptr;
  ITypeInfo* fifth = nullptr;
  show("GetTypeInfo 0", c->GetTypeInfo(0, 0, &first));
  show("GetTypeInfo 5", c->GetTypeInfo(5, 0, &fifth));
  expect("same type information for every index", first != nullptr && first == fifth);
  if (first) {
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(first->GetTypeAttr(&attr))) {
      expect("type information is IControlador", IsEqualGUID(attr->guid, IID_IControlador));
      showNumber("functions", static_cast<long>(attr->cFuncs));
      showNumber("type flags", static_cast<long>(attr->wTypeFlags));
      first->ReleaseTypeAttr(attr);
    }
    first->Release();
  }
  if (fifth) fifth->Release();

  const wchar_t* names[] = {L"existeArquivo", L"EXISTEARQUIVO", L"disponibilizaArquivos",
                            L"naoExiste"};
  for (const wchar_t* n : names) {
    LPOLESTR name = const_cast<LPOLESTR>(n);
    DISPID id = 0;
    const HRESULT hr = c->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
    char line[96];
    std::snprintf(line, sizeof line, "GetIDsOfNames %ls", n);
    show(line, hr);
    if (SUCCEEDED(hr)) {
      std::snprintf(line, sizeof line, "DISPID %ls", n);
      show(line, static_cast<HRESULT>(id));
    }
  }
  invokeWithString(c, "existeArquivo missing", kExisteArquivo, L"C:\\torvex-missing\\x.txt");
  invokeWithString(c, "existeArquivo existing", kExisteArquivo, L"C:\\windows");
  invokeWithString(c, "recuperaControleDownload", kRecuperaControleDownload, L"C:\\torvex-missing");
}

int unregistered(const char* dllPath) {
  // As COM and regsvr32 load it: Arjlib32.dll is found beside torvex.dll.
  HMODULE dll = LoadLibraryExA(dllPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!dll) {
    std::printf("cannot load %s: %lu\n", dllPath, GetLastError());
    return 2;
  }
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto canUnloadNow = reinterpret_cast<CanUnloadNowFn>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  expect("exports found", getClassObject && canUnloadNow);
  if (!getClassObject || !canUnloadNow) return 2;

  show("DllCanUnloadNow after load", canUnloadNow());
  show("DllGetClassObject null out", getClassObject(CLSID_Controlador, IID_IClassFactory, nullptr));
  void* foreign = reinterpret_cast<void*>(1);
  show("DllGetClassObject foreign class", getClassObject(kForeignClsid, IID_IClassFactory, &foreign));
  expect("foreign class out null", foreign == nullptr);

  IClassFactory* factory = nullptr;
  IClassFactory* again = nullptr;
  show("DllGetClassObject", getClassObject(CLSID_Controlador, IID_IClassFactory, (void**)&factory));
  getClassObject(CLSID_Controlador, IID_IClassFactory, (void**)&again);
  expect("same factory twice", factory != nullptr && factory == again);
  if (!factory) return 2;
  show("DllCanUnloadNow factory held", canUnloadNow());
  again->Release();
  factory->Release();
  show("DllCanUnloadNow factory released", canUnloadNow());

  getClassObject(CLSID_Controlador, IID_IClassFactory, (void**)&factory);
  show("LockServer TRUE", factory->LockServer(TRUE));
  factory->Release();
  show("DllCanUnloadNow locked", canUnloadNow());
  getClassObject(CLSID_Controlador, IID_IClassFactory, (void**)&factory);
  show("LockServer FALSE", factory->LockServer(FALSE));

  IUnknown* outer = reinterpret_cast<IUnknown*>(factory);  // any non-null outer
  void* refused = reinterpret_cast<void*>(1);
  show("CreateInstance aggregated IDispatch", factory->CreateInstance(outer, IID_IDispatch, &refused));
  expect("aggregated IDispatch out null", refused == nullptr);
  show("CreateInstance null out", factory->CreateInstance(nullptr, IID_IControlador, nullptr));

  IControlador* c = nullptr;
  show("CreateInstance IControlador", factory->CreateInstance(nullptr, IID_IControlador, (void**)&c));
  factory->Release();
  if (!c) return 2;
  show("DllCanUnloadNow object alive", canUnloadNow());
  earlyBinding(c);
  interfaceMap(c);
  objectSafety(c);
  lateBindingUnregistered(c);
  showNumber("Release last reference", static_cast<long>(c->Release()));
  show("DllCanUnloadNow object released", canUnloadNow());
  FreeLibrary(dll);
  return 0;
}

int registered() {
  const wchar_t* progIds[] = {L"TORVEX.Controlador", L"TORVEX.Controlador.1"};
  for (const wchar_t* progId : progIds) {
    CLSID clsid;
    char line[96];
    std::snprintf(line, sizeof line, "CLSIDFromProgID %ls", progId);
    show(line, CLSIDFromProgID(progId, &clsid));
    std::snprintf(line, sizeof line, "%ls names Controlador", progId);
    expect(line, IsEqualGUID(clsid, CLSID_Controlador));
  }
  IControlador* c = nullptr;
  show("CoCreateInstance", CoCreateInstance(CLSID_Controlador, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IControlador, (void**)&c));
  if (!c) return 2;
  earlyBinding(c);
  lateBindingRegistered(c);
  c->Release();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "unregistered") == 0) {
    const int rc = unregistered(argv[2]);
    return rc != 0 ? rc : (failures != 0);
  }
  if (argc == 2 && std::strcmp(argv[1], "registered") == 0) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int rc = registered();
    CoUninitialize();
    return rc != 0 ? rc : (failures != 0);
  }
  std::fprintf(stderr, "usage: client unregistered DLLPATH | client registered\n");
  return 2;
}
