#include "component/dispatch_cache.h"

#include <atomic>
#include <vector>

#include "component/interface_description.h"
#include "component/server_module.h"

namespace torvex {

namespace {

struct CachedName {
  BSTR name;
  UINT length;
  DISPID id;
};

std::atomic<ITypeInfo*> typeInfo{nullptr};
std::vector<CachedName> names;  // written under the module lock before typeInfo is set

void releaseTypeInfo() {
  ITypeInfo* info = typeInfo.exchange(nullptr);
  if (info != nullptr) info->Release();
  for (CachedName& n : names) SysFreeString(n.name);
  names.clear();
}

HRESULT buildNameCache(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  HRESULT hr = info->GetTypeAttr(&attr);
  if (FAILED(hr)) return hr;
  for (UINT i = 0; i < attr->cFuncs && SUCCEEDED(hr); ++i) {
    FUNCDESC* f = nullptr;
    hr = info->GetFuncDesc(i, &f);
    if (FAILED(hr)) break;
    BSTR name = nullptr;
    hr = info->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
    if (SUCCEEDED(hr)) names.push_back({name, SysStringLen(name), f->memid});
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  return hr;
}

HRESULT load(LCID lcid, ITypeInfo** out) {
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadRegTypeLib(kLibidTorvexLib, kTorvexLibMajor, kTorvexLibMinor, lcid, &lib);
  if (FAILED(hr)) return hr;
  ITypeInfo* info = nullptr;
  hr = lib->GetTypeInfoOfGuid(kIidIControlador, &info);
  lib->Release();
  if (FAILED(hr)) return hr;
  ITypeInfo* richer = nullptr;
  if (SUCCEEDED(info->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&richer)))) {
    info->Release();
    info = richer;
  }
  hr = buildNameCache(info);
  if (FAILED(hr)) {
    for (CachedName& n : names) SysFreeString(n.name);
    names.clear();
    info->Release();
    return hr;
  }
  *out = info;
  return S_OK;
}

}  // namespace

ITypeInfo* controladorTypeInfo(LCID lcid, HRESULT* hr) {
  *hr = S_OK;
  if (ITypeInfo* loaded = typeInfo.load()) return loaded;
  ServerModule& module = serverModule();
  ModuleLock::Guard guard(module.moduleLock());
  if (ITypeInfo* loaded = typeInfo.load()) return loaded;  // another caller was first
  ITypeInfo* info = nullptr;
  *hr = load(lcid, &info);
  if (FAILED(*hr)) return nullptr;
  typeInfo.store(info);
  module.atUnload(releaseTypeInfo);
  return info;
}

bool cachedDispId(const OLECHAR* name, DISPID* id) {
  if (name == nullptr || typeInfo.load() == nullptr) return false;
  for (const CachedName& n : names) {
    UINT i = 0;
    while (i < n.length && name[i] == n.name[i]) ++i;
    if (i == n.length && name[n.length] == 0) {
      *id = n.id;
      return true;
    }
  }
  return false;
}

}  // namespace torvex
