// What a browser host and a planted library would do to torvex.dll, checked
// under Wine. Every result is one "what: value" line; the Wine test compares
// the whole output with hardening_<mode>.expected.
//
//   hardening lock FOLDER            after regsvr32: the site lock. Each case
//                                    makes FOLDER\<case>.txt, has it deleted
//                                    and the tray tree FOLDER\<case>_tree
//                                    made late-bound, and tells what is there.
//   hardening library DLLPATH ROOT   torvex.dll loaded by its full path, an
//                                    upload on the tray tree ROOT (its file
//                                    ROOT\ENVIAR\ARQ01.TXT): where the archive
//                                    library came from, if from anywhere.
#include <initguid.h>  // the generated header's GUIDs are defined here

#include <cguid.h>
#include <objsafe.h>
#include <ocidl.h>
#include <oleauto.h>
#include <servprov.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "stub_site.h"
#include "torvex_idl.h"

namespace {

using torvex::testing::StubSite;
using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

constexpr DISPID kCriaInfraEstrutura = 0x60020000;
constexpr DISPID kDeletaArquivo = 0x60020003;

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// One late-bound call with one string argument: its HRESULT and its result.
void invoke(IDispatch* d, const char* what, DISPID id, const std::wstring& arg) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(arg.c_str());
  DISPPARAMS params = {&v, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr =
      d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
  std::printf("%s: 0x%08lX", what, static_cast<unsigned long>(hr));
  if (result.vt == VT_I4) {
    std::printf(", result %ld", static_cast<long>(result.lVal));
  } else {
    std::printf(", result type %d", result.vt);
  }
  VariantClear(&result);
  VariantClear(&v);
}

struct LockCase {
  const char* name;
  bool untrustedCaller;
  StubSite::Route route;
  const char* url;  // null: no site at all
};

const LockCase kLockCases[] = {
    {"script host", false, StubSite::Route::Neither, nullptr},
    {"script host with a foreign site", false, StubSite::Route::Moniker, "https://evil.test/"},
    {"allowed page by moniker", true, StubSite::Route::Moniker,
     "https://troca.example.com/cliente/envio.html"},
    {"allowed page by LocationURL", true, StubSite::Route::Browser,
     "https://troca.example.com/cliente/envio.html"},
    {"other page", true, StubSite::Route::Moniker, "https://evil.test/troca.example.com"},
    {"allowed host over http", true, StubSite::Route::Moniker, "http://troca.example.com/"},
    {"allowed host on another port", true, StubSite::Route::Browser,
     "https://troca.example.com:8443/"},
    {"no site", true, StubSite::Route::Neither, nullptr},
};

void lockCase(const LockCase& c, const std::wstring& folder) {
  IControlador* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_Controlador, nullptr, CLSCTX_INPROC_SERVER, IID_IControlador,
                              reinterpret_cast<void**>(&object)))) {
    std::printf("%s: cannot create\n", c.name);
    return;
  }
  StubSite site(c.route, c.url != nullptr ? c.url : "");
  IObjectWithSite* withSite = nullptr;
  object->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite));
  if (withSite != nullptr && c.url != nullptr) withSite->SetSite(site.unknown());
  if (c.untrustedCaller) {
    IObjectSafety* safety = nullptr;
    object->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety));
    if (safety != nullptr) {
      safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                        INTERFACESAFE_FOR_UNTRUSTED_CALLER);
      safety->Release();
    }
  }
  std::wstring base = folder + L"\\";
  for (const char* n = c.name; *n != 0; ++n) base += *n == ' ' ? L'_' : static_cast<wchar_t>(*n);
  const std::wstring file = base + L".txt";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  invoke(object, c.name, kDeletaArquivo, file);
  std::printf(", file kept: %s\n", exists(file) ? "yes" : "no");
  // A refused page makes no tray tree either.
  const std::wstring tree = base + L"_tree";
  const std::string what = std::string(c.name) + " criaInfraEstrutura";
  invoke(object, what.c_str(), kCriaInfraEstrutura, tree);
  std::printf(", tree made: %s\n", exists(tree) ? "yes" : "no");
  if (withSite != nullptr) {
    withSite->SetSite(nullptr);
    withSite->Release();
  }
  object->Release();
  std::printf("%s: site released: %s\n", c.name, site.references() == 0 ? "yes" : "no");
}

int lock(const char* folder) {
  std::wstring wide;
  for (const char* c = folder; *c != 0; ++c) wide += static_cast<wchar_t>(*c);
  for (const LockCase& c : kLockCases) lockCase(c, wide);
  return 0;
}

// The archive library that this process has loaded, if any, and where from.
void showArchiveLibrary(const char* dllPath) {
  HMODULE arjlib = GetModuleHandleA("Arjlib32.dll");
  if (arjlib == nullptr) {
    std::printf("Arjlib32.dll loaded: no\n");
    return;
  }
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(arjlib, path, sizeof path);
  std::string folder(dllPath, std::strrchr(dllPath, '\\') - dllPath);
  std::string loaded(path, n);
  loaded = loaded.substr(0, loaded.rfind('\\'));
  std::printf("Arjlib32.dll loaded: from %s\n",
              lstrcmpiA(loaded.c_str(), folder.c_str()) == 0 ? "torvex.dll's folder"
                                                              : "elsewhere");
}

int library(const char* dllPath, const char* root) {
  // As a host loads it: the error mode tells whether a dialog would show.
  SetErrorMode(0);
  HMODULE dll = LoadLibraryExA(dllPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (dll == nullptr) {
    std::printf("torvex.dll loaded: no (%lu)\n", GetLastError());
    return 0;
  }
  std::printf("torvex.dll loaded: yes\n");
  showArchiveLibrary(dllPath);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  IControlador* object = nullptr;
  if (getClassObject == nullptr ||
      FAILED(getClassObject(CLSID_Controlador, IID_IClassFactory,
                            reinterpret_cast<void**>(&factory))) ||
      FAILED(factory->CreateInstance(nullptr, IID_IControlador,
                                     reinterpret_cast<void**>(&object)))) {
    std::printf("cannot create\n");
    return 2;
  }
  factory->Release();
  std::wstring wideRoot;
  for (const char* c = root; *c != 0; ++c) wideRoot += static_cast<wchar_t>(*c);
  BSTR raiz = SysAllocString(wideRoot.c_str());
  BSTR fi = SysAllocString((wideRoot + L"\\ENVIAR\\ARQ01.TXT").c_str());
  BSTR rename = SysAllocString(L"");
  std::printf("geraArquivoUpload: %ld\n",
              static_cast<long>(object->geraArquivoUpload(raiz, fi, rename, 3)));
  std::printf("source kept: %s\n", exists(wideRoot + L"\\ENVIAR\\ARQ01.TXT") ? "yes" : "no");
  std::printf("archive made: %s\n",
              exists(wideRoot + L"\\OUTTRAY\\WORK\\F3_arq01_txt.ARJ") ? "yes" : "no");
  showArchiveLibrary(dllPath);
  SysFreeString(raiz);
  SysFreeString(fi);
  SysFreeString(rename);
  object->Release();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "lock") == 0) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int rc = lock(argv[2]);
    CoUninitialize();
    return rc;
  }
  if (argc == 4 && std::strcmp(argv[1], "library") == 0) return library(argv[2], argv[3]);
  std::fprintf(stderr, "usage: hardening lock FOLDER | hardening library DLLPATH ROOT\n");
  return 2;
}
