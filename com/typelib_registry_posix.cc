// Finding, registering and unregistering type libraries: the TypeLib keys of
// HKEY_CLASSES_ROOT, kept through the platform registry. The libraries this
// runtime describes hold one interface that only derives from IDispatch,
// which gets no Interface key (on Windows only dispinterfaces and dual or
// oleautomation interfaces do), so none is written or removed.
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

std::string narrow(BSTR s) { return pathFromOle(s); }

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
  bool ok = setDefault(version, narrow(SysStringLen(doc) > 0 ? doc : name)) &&
            setDefault(version + "\\FLAGS", "0") &&
            setDefault(version + "\\HELPDIR", helpDir == nullptr ? "" : pathFromOle(helpDir)) &&
            setDefault(platformKey(version, attr->lcid, attr->syskind), pathFromOle(fullPath));
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
  // The library key goes too: the registry layer lists no subkeys, so whether
  // another version remains beneath it cannot be told.
  bool ok = platform().registryDeleteTree(RegistryHive::ClassesRoot, version.c_str()) &&
            platform().registryDeleteTree(RegistryHive::ClassesRoot,
                                          ("TypeLib\\" + braced(libid)).c_str());
  return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}
