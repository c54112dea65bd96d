// Finding, registering and unregistering type libraries: the TypeLib and
// Interface keys of HKEY_CLASSES_ROOT, kept through the platform registry.
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "com/ole_text_posix.h"
#include "platform/platform.h"
#include "com/com.h"

namespace torvex {

namespace {

// A proxy that marshals any automation-compatible interface.
constexpr const char* kUniversalMarshaler = "{00020424-0000-0000-C000-000000000046}";

struct EmbeddedLibraries {
  std::mutex lock;
  std::map<std::string, const TypeLibDescription*> byPath;
};

EmbeddedLibraries& embedded() {
  static EmbeddedLibraries libraries;
  return libraries;
}

std::string canonical(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string braced(REFGUID g) {
  OLECHAR wide[40];
  StringFromGUID2(g, wide, 40);
  return pathFromOle(wide);
}

std::string versionKey(REFGUID libid, WORD major, WORD minor) {
  char version[16];
  std::snprintf(version, sizeof version, "%x.%x", major, minor);
  return "TypeLib\\" + braced(libid) + "\\" + version;
}

std::string platformKey(const std::string& version, LCID lcid, SYSKIND kind) {
  char tail[32];
  std::snprintf(tail, sizeof tail, "\\%x\\%s", static_cast<unsigned>(lcid),
                kind == SYS_WIN64 ? "win64" : "win32");
  return version + tail;
}

bool setDefault(const std::string& key, const std::string& data) {
  Platform& p = platform();
  return p.registryCreateKey(RegistryHive::ClassesRoot, key.c_str()) &&
         p.registrySetValue(RegistryHive::ClassesRoot, key.c_str(), nullptr, data);
}

bool setNamed(const std::string& key, const char* value, const std::string& data) {
  Platform& p = platform();
  return p.registryCreateKey(RegistryHive::ClassesRoot, key.c_str()) &&
         p.registrySetValue(RegistryHive::ClassesRoot, key.c_str(), value, data);
}

std::string narrow(BSTR s) { return pathFromOle(s); }

// Interfaces whose calls automation can marshal get an Interface key:
// dispinterfaces, and interfaces marked dual or oleautomation. One that only
// derives from IDispatch gets none, on Windows as here.
bool registersInterface(const TYPEATTR& a) {
  return a.typekind == TKIND_DISPATCH ||
         (a.typekind == TKIND_INTERFACE &&
          (a.wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)) != 0);
}

// Runs `action(iid, name)` for each such interface of the library.
template <typename Action>
bool forEachInterface(ITypeLib* lib, Action action) {
  bool ok = true;
  for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
    ITypeInfo* info = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &info))) return false;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
      BSTR name = nullptr;
      if (registersInterface(*attr) &&
          SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)))
        ok = action(attr->guid, narrow(name)) && ok;
      SysFreeString(name);
      info->ReleaseTypeAttr(attr);
    }
    info->Release();
  }
  return ok;
}

}  // namespace

void embedTypeLib(const std::string& modulePath, const TypeLibDescription* lib) {
  EmbeddedLibraries& e = embedded();
  std::lock_guard guard(e.lock);
  e.byPath[canonical(modulePath)] = lib;
}

}  // namespace torvex

using namespace torvex;

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** lib) {
  if (lib == nullptr || file == nullptr) return E_INVALIDARG;
  *lib = nullptr;
  const TypeLibDescription* description = nullptr;
  {
    EmbeddedLibraries& e = embedded();
    std::lock_guard guard(e.lock);
    auto found = e.byPath.find(canonical(pathFromOle(file)));
    if (found != e.byPath.end()) description = found->second;
  }
  if (description == nullptr) return TYPE_E_CANTLOADLIBRARY;
  *lib = newDescribedTypeLib(description);
  return *lib == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib) {
  if (lib == nullptr) return E_INVALIDARG;
  *lib = nullptr;
  std::string version = versionKey(libid, major, minor);
  std::string path;
  bool found = false;
  for (LCID tried : {lcid, LCID{0}}) {
    for (SYSKIND kind : {SYS_WIN64, SYS_WIN32}) {
      found = found || platform().registryRead(RegistryHive::ClassesRoot,
                                               platformKey(version, tried, kind).c_str(), nullptr,
                                               path);
    }
  }
  if (!found) return TYPE_E_LIBNOTREGISTERED;
  return LoadTypeLib(pathToOle(path).c_str(), lib);
}

HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  if (lib == nullptr || fullPath == nullptr) return E_INVALIDARG;
  TLIBATTR* attr = nullptr;
  HRESULT hr = lib->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  BSTR name = nullptr;
  BSTR doc = nullptr;
  lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
  std::string version = versionKey(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum);
  std::string libid = braced(attr->guid);
  char versionText[16];
  std::snprintf(versionText, sizeof versionText, "%x.%x", attr->wMajorVerNum, attr->wMinorVerNum);
  bool ok = setDefault(version, narrow(SysStringLen(doc) > 0 ? doc : name)) &&
            setDefault(version + "\\FLAGS", "0") &&
            setDefault(version + "\\HELPDIR", helpDir == nullptr ? "" : pathFromOle(helpDir)) &&
            setDefault(platformKey(version, attr->lcid, attr->syskind), pathFromOle(fullPath));
  ok = ok && forEachInterface(lib, [&](REFGUID iid, const std::string& interfaceName) {
         std::string key = "Interface\\" + braced(iid);
         return setDefault(key, interfaceName) &&
                setDefault(key + "\\ProxyStubClsid", kUniversalMarshaler) &&
                setDefault(key + "\\ProxyStubClsid32", kUniversalMarshaler) &&
                setDefault(key + "\\TypeLib", libid) &&
                setNamed(key + "\\TypeLib", "Version", versionText);
       });
  SysFreeString(name);
  SysFreeString(doc);
  lib->ReleaseTLibAttr(attr);
  return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind) {
  std::string version = versionKey(libid, major, minor);
  std::string path;
  if (!platform().registryRead(RegistryHive::ClassesRoot,
                               platformKey(version, lcid, syskind).c_str(), nullptr, path))
    return TYPE_E_REGISTRYACCESS;
  ITypeLib* lib = nullptr;
  if (SUCCEEDED(LoadTypeLib(pathToOle(path).c_str(), &lib))) {
    forEachInterface(lib, [](REFGUID iid, const std::string&) {
      return platform().registryDeleteTree(RegistryHive::ClassesRoot,
                                           ("Interface\\" + braced(iid)).c_str());
    });
    lib->Release();
  }
  // The library key goes too: the registry layer lists no subkeys, so whether
  // another version remains beneath it cannot be told.
  bool ok = platform().registryDeleteTree(RegistryHive::ClassesRoot, version.c_str()) &&
            platform().registryDeleteTree(RegistryHive::ClassesRoot,
                                          ("TypeLib\\" + braced(libid)).c_str());
  return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}
