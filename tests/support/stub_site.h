// A container's site for tests of the site lock, on Linux (through com/com.h)
// and in the Windows host program under Wine (through the system's headers,
// included before this one): it tells the page's URL through the document's
// moniker (IOleClientSite) or through the browser's LocationURL
// (IServiceProvider), or tells nothing. It lives on the caller's stack and
// only counts references, so that a test can see the object let it go.
#pragma once

#include <string>

namespace torvex::testing {

class StubSite final : public IOleClientSite, public IServiceProvider {
 public:
  enum class Route { Moniker, Browser, Neither };

  StubSite(Route route, const char* url) : route_(route), moniker_(*this), browser_(*this) {
    for (const char* c = url; *c != 0; ++c) url_ += static_cast<OLECHAR>(*c);
  }
  long references() const { return refs_; }
  IUnknown* unknown() { return static_cast<IOleClientSite*>(this); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IOleClientSite)) {
      *ppv = static_cast<IOleClientSite*>(this);
    } else if (IsEqualGUID(riid, IID_IServiceProvider)) {
      *ppv = static_cast<IServiceProvider*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs_); }

  // IOleClientSite: the container document's moniker when that is the route.
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD which, IMoniker** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (route_ != Route::Moniker || which != OLEWHICHMK_CONTAINER) return E_FAIL;
    *out = &moniker_;
    moniker_.AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IServiceProvider: the browser's automation object when that is the route.
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const GUID webBrowserApp = {0x0002DF05, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    if (route_ != Route::Browser || !IsEqualGUID(service, webBrowserApp)) return E_NOINTERFACE;
    if (!IsEqualGUID(riid, IID_IDispatch) && !IsEqualGUID(riid, IID_IUnknown)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IDispatch*>(&browser_);
    browser_.AddRef();
    return S_OK;
  }

 private:
  LPOLESTR copyOfUrl() const {
    auto* text = static_cast<LPOLESTR>(CoTaskMemAlloc((url_.size() + 1) * sizeof(OLECHAR)));
    if (text == nullptr) return nullptr;
    url_.copy(text, url_.size());
    text[url_.size()] = 0;
    return text;
  }

  class Moniker final : public IMoniker {
   public:
    explicit Moniker(StubSite& site) : site_(site) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      if (ppv == nullptr) return E_POINTER;
      *ppv = IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IMoniker) ? this : nullptr;
      if (*ppv == nullptr) return E_NOINTERFACE;
      AddRef();
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx*, IMoniker*, REFIID, void**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID, void**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, BOOL, IMoniker**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Hash(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override {
      return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) override {
      if (name == nullptr) return E_POINTER;
      *name = site_.copyOfUrl();
      return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*,
                                               IMoniker**) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD*) override { return S_FALSE; }

   private:
    StubSite& site_;
  };

  // The browser's automation object: one property, LocationURL (DISPID 211).
  class Browser final : public IDispatch {
   public:
    explicit Browser(StubSite& site) : site_(site) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      if (ppv == nullptr) return E_POINTER;
      *ppv = IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch) ? this : nullptr;
      if (*ppv == nullptr) return E_NOINTERFACE;
      AddRef();
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
      if (count != nullptr) *count = 0;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
      const std::basic_string<OLECHAR> wanted = {'L', 'o', 'c', 'a', 't', 'i',
                                                 'o', 'n', 'U', 'R', 'L'};
      if (count != 1 || names == nullptr || ids == nullptr) return E_INVALIDARG;
      *ids = wanted == names[0] ? kLocationUrl : DISPID_UNKNOWN;
      return *ids == kLocationUrl ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
      if (id != kLocationUrl) return DISP_E_MEMBERNOTFOUND;
      if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) return E_INVALIDARG;
      VariantInit(result);
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocStringLen(site_.url_.data(), static_cast<UINT>(site_.url_.size()));
      return S_OK;
    }

   private:
    static constexpr DISPID kLocationUrl = 211;
    StubSite& site_;
  };

  Route route_;
  std::basic_string<OLECHAR> url_;
  long refs_ = 0;
  Moniker moniker_;
  Browser browser_;
};

}  // namespace torvex::testing
