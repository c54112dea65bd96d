// ITypeLib and ITypeInfo served from a type-library table. The library owns
// its two type-information objects (the interface at index 0, the class at
// index 1); they share the library's reference count, so no cycle can leak.
#include "com/com.h"

#include <atomic>
#include <new>
#include <string>

#include "com/typeinfo_invoke_posix.h"

namespace torvex {

namespace {

BSTR bstrFromAscii(const char* text) {
  std::u16string wide;
  for (const char* c = text; *c != 0; ++c) wide += static_cast<char16_t>(*c);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

char16_t asciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

// Member and parameter names compare without regard to case, as OLE Automation does.
bool sameName(const OLECHAR* wide, const char* ascii) {
  size_t i = 0;
  for (; ascii[i] != 0; ++i) {
    if (wide[i] == 0 || asciiUpper(wide[i]) != asciiUpper(static_cast<char16_t>(ascii[i])))
      return false;
  }
  return wide[i] == 0;
}

class DescribedTypeLib;

class DescribedTypeInfo final : public ITypeInfo {
 public:
  DescribedTypeInfo(DescribedTypeLib& lib, const TypeLibDescription& d, TYPEKIND kind)
      : lib_(lib), d_(d), kind_(kind) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_ITypeInfo) return E_NOINTERFACE;
    *ppv = static_cast<ITypeInfo*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** out) override {
    if (out == nullptr) return E_INVALIDARG;
    auto* a = new (std::nothrow) TYPEATTR{};
    if (a == nullptr) return E_OUTOFMEMORY;
    a->memidConstructor = a->memidDestructor = MEMBERID_NIL;
    a->typekind = kind_;
    a->cImplTypes = 1;
    a->cbAlignment = 8;
    if (isInterface()) {
      a->guid = d_.iid;
      a->cFuncs = static_cast<WORD>(d_.functions.size());
      a->cbSizeVft = static_cast<WORD>((TypeLibDescription::kFirstFunctionSlot +
                                        d_.functions.size()) * sizeof(void*));
      a->wTypeFlags = TYPEFLAG_FDISPATCHABLE;
    } else {
      a->guid = d_.clsid;
      a->wTypeFlags = TYPEFLAG_FCANCREATE;
      a->wMajorVerNum = d_.major;
      a->wMinorVerNum = d_.minor;
    }
    *out = a;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (!isInterface() || index >= d_.functions.size()) return TYPE_E_ELEMENTNOTFOUND;
    const FunctionDescription& f = d_.functions[index];
    auto* fd = new (std::nothrow) FUNCDESC{};
    auto* params = f.params.empty() ? nullptr : new (std::nothrow) ELEMDESC[f.params.size()]{};
    if (fd == nullptr || (params == nullptr && !f.params.empty())) {
      delete fd;
      delete[] params;
      return E_OUTOFMEMORY;
    }
    fd->memid = f.id;
    fd->lprgelemdescParam = params;
    fd->funckind = FUNC_PUREVIRTUAL;
    fd->invkind = INVOKE_FUNC;
    fd->callconv = CC_STDCALL;
    fd->cParams = static_cast<SHORT>(f.params.size());
    fd->oVft = static_cast<SHORT>((TypeLibDescription::kFirstFunctionSlot + index) * sizeof(void*));
    fd->elemdescFunc.tdesc.vt = f.result;
    for (size_t i = 0; i < f.params.size(); ++i) params[i].tdesc.vt = f.params[i].type;
    *out = fd;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC**) override { return TYPE_E_ELEMENTNOTFOUND; }

  HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR* names, UINT max, UINT* count) override {
    if (names == nullptr || count == nullptr) return E_INVALIDARG;
    *count = 0;
    const FunctionDescription* f = find(memid);
    if (f == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    if (max == 0) return S_OK;
    names[(*count)++] = bstrFromAscii(f->name);
    for (size_t i = 0; i < f->params.size() && *count < max; ++i)
      names[(*count)++] = bstrFromAscii(f->params[i].name);
    return S_OK;
  }

  // The class's one implemented type is the interface (reference 1); the
  // interface's base, IDispatch, lives in the standard library, not served here.
  HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* out) override {
    if (out == nullptr) return E_INVALIDARG;
    if (isInterface() || index != 0) return TYPE_E_ELEMENTNOTFOUND;
    *out = kInterfaceRef;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, int* flags) override {
    if (flags == nullptr) return E_INVALIDARG;
    if (isInterface() || index != 0) return TYPE_E_ELEMENTNOTFOUND;
    *flags = IMPLTYPEFLAG_FDEFAULT;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const FunctionDescription* member = nullptr;
    for (const FunctionDescription& f : interfaceFunctions()) {
      if (names[0] != nullptr && sameName(names[0], f.name)) member = &f;
    }
    if (member == nullptr) return DISP_E_UNKNOWNNAME;
    ids[0] = member->id;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
      for (size_t p = 0; p < member->params.size(); ++p) {
        if (names[i] != nullptr && sameName(names[i], member->params[p].name))
          ids[i] = static_cast<MEMBERID>(p);
      }
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(PVOID instance, MEMBERID memid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argErr) override {
    const FunctionDescription* f = find(memid);
    if (f == nullptr || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    return invokeThroughTable(instance, d_, *f, params, result, argErr);
  }

  HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* name, BSTR* doc,
                                             DWORD* helpContext, BSTR* helpFile) override {
    const char* n = isInterface() ? d_.interfaceName : d_.className;
    const char* text = isInterface() ? d_.interfaceDoc : d_.classDoc;
    if (memid != MEMBERID_NIL) {
      const FunctionDescription* f = find(memid);
      if (f == nullptr) return TYPE_E_ELEMENTNOTFOUND;
      n = f->name;
      text = f->doc;
    }
    return document(n, text, name, doc, helpContext, helpFile);
  }
  HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, PVOID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR* mops) override {
    if (mops == nullptr) return E_INVALIDARG;
    *mops = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** lib, UINT* index) override;
  void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* a) override { delete a; }
  void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* f) override {
    if (f == nullptr) return;
    delete[] f->lprgelemdescParam;
    delete f;
  }
  void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC*) override {}

  static HRESULT document(const char* n, const char* text, BSTR* name, BSTR* doc,
                          DWORD* helpContext, BSTR* helpFile) {
    if (name != nullptr) *name = bstrFromAscii(n);
    if (doc != nullptr) *doc = bstrFromAscii(text);
    if (helpContext != nullptr) *helpContext = 0;
    if (helpFile != nullptr) *helpFile = nullptr;
    return S_OK;
  }

  static constexpr HREFTYPE kInterfaceRef = 1;

 private:
  bool isInterface() const { return kind_ == TKIND_INTERFACE; }
  std::span<const FunctionDescription> interfaceFunctions() const {
    return isInterface() ? d_.functions : std::span<const FunctionDescription>();
  }
  const FunctionDescription* find(MEMBERID memid) const {
    for (const FunctionDescription& f : interfaceFunctions()) {
      if (f.id == memid) return &f;
    }
    return nullptr;
  }

  DescribedTypeLib& lib_;
  const TypeLibDescription& d_;
  TYPEKIND kind_;
};

class DescribedTypeLib final : public ITypeLib {
 public:
  explicit DescribedTypeLib(const TypeLibDescription& d)
      : d_(d), interface_(*this, d, TKIND_INTERFACE), class_(*this, d, TKIND_COCLASS) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_ITypeLib) return E_NOINTERFACE;
    *ppv = static_cast<ITypeLib*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  UINT STDMETHODCALLTYPE GetTypeInfoCount() override { return 2; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = index == 0 ? &interface_ : index == 1 ? &class_ : nullptr;
    if (*out == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND* kind) override {
    if (kind == nullptr) return E_INVALIDARG;
    if (index > 1) return TYPE_E_ELEMENTNOTFOUND;
    *kind = index == 0 ? TKIND_INTERFACE : TKIND_COCLASS;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = guid == d_.iid ? &interface_ : guid == d_.clsid ? &class_ : nullptr;
    if (*out == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = new (std::nothrow) TLIBATTR{d_.libid, 0, SYS_WIN64, d_.major, d_.minor, 0};
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDocumentation(int index, BSTR* name, BSTR* doc, DWORD* helpContext,
                                             BSTR* helpFile) override {
    if (index == -1)
      return DescribedTypeInfo::document(d_.libName, d_.libDoc, name, doc, helpContext, helpFile);
    if (index < 0 || index > 1) return TYPE_E_ELEMENTNOTFOUND;
    DescribedTypeInfo& info = index == 0 ? interface_ : class_;
    return info.GetDocumentation(MEMBERID_NIL, name, doc, helpContext, helpFile);
  }
  // The buffer receives the name's stored letter case, as Windows does.
  HRESULT STDMETHODCALLTYPE IsName(LPOLESTR buffer, ULONG, BOOL* found) override {
    if (buffer == nullptr || found == nullptr) return E_INVALIDARG;
    const char* match = nullptr;
    for (const char* n : {d_.libName, d_.className, d_.interfaceName}) {
      if (sameName(buffer, n)) match = n;
    }
    for (const FunctionDescription& f : d_.functions) {
      if (sameName(buffer, f.name)) match = f.name;
      for (const ParamDescription& p : f.params) {
        if (sameName(buffer, p.name)) match = p.name;
      }
    }
    *found = match != nullptr;
    for (size_t i = 0; match != nullptr && match[i] != 0; ++i)
      buffer[i] = static_cast<OLECHAR>(match[i]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) override {
    return E_NOTIMPL;
  }
  void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR* a) override { delete a; }

  DescribedTypeInfo& interfaceInfo() { return interface_; }

 private:
  std::atomic<ULONG> refs_{1};
  const TypeLibDescription& d_;
  DescribedTypeInfo interface_;
  DescribedTypeInfo class_;
};

ULONG DescribedTypeInfo::AddRef() { return lib_.AddRef(); }
ULONG DescribedTypeInfo::Release() { return lib_.Release(); }

HRESULT DescribedTypeInfo::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  if (isInterface() || ref != kInterfaceRef) return TYPE_E_ELEMENTNOTFOUND;
  *out = &lib_.interfaceInfo();
  AddRef();
  return S_OK;
}

HRESULT DescribedTypeInfo::GetContainingTypeLib(ITypeLib** lib, UINT* index) {
  if (lib == nullptr) return E_INVALIDARG;
  *lib = &lib_;
  lib_.AddRef();
  if (index != nullptr) *index = isInterface() ? 0 : 1;
  return S_OK;
}

}  // namespace

ITypeLib* newDescribedTypeLib(const TypeLibDescription* lib) {
  return new (std::nothrow) DescribedTypeLib(*lib);
}

}  // namespace torvex
