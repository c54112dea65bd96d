#include "component/controlador_com.h"

#include <new>

#include "component/controlador.h"
#include "component/dispatch_cache.h"
#include "component/icontrolador.h"
#include "component/interface_description.h"
#include "component/server_module.h"
#include "component/site_lock.h"

namespace torvex {

namespace {

class ControladorObject final : public IControlador,
                                public IObjectSafety,
                                public IObjectWithSite {
 public:
  explicit ControladorObject(IUnknown* outer) : inner_(*this), outer_(outer) {
    serverModule().lock();
  }
  ~ControladorObject() {
    if (site_ != nullptr) site_->Release();
    serverModule().unlock();
  }
  ControladorObject(const ControladorObject&) = delete;
  ControladorObject& operator=(const ControladorObject&) = delete;

  // The non-delegating IUnknown: the object's own identity and count.
  HRESULT queryOwn(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown) {
      found = outer_ != nullptr ? static_cast<IUnknown*>(&inner_)
                                : static_cast<IControlador*>(this);
    } else if (riid == kIidIControlador || riid == IID_IDispatch) {
      found = static_cast<IControlador*>(this);
    } else if (riid == IID_IObjectSafety) {
      found = static_cast<IObjectSafety*>(this);
    } else if (riid == IID_IObjectWithSite) {
      found = static_cast<IObjectWithSite*>(this);
    }
    *ppv = found;
    if (found == nullptr) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
  }
  ULONG addRefOwn() { return static_cast<ULONG>(++refs_); }
  ULONG releaseOwn() {
    LONG left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IUnknown of the interfaces: the outer object's when aggregated.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return outer_ != nullptr ? outer_->QueryInterface(riid, ppv) : queryOwn(riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return outer_ != nullptr ? outer_->AddRef() : addRefOwn();
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return outer_ != nullptr ? outer_->Release() : releaseOwn();
  }

  // IDispatch, through the registered type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID lcid, ITypeInfo** out) override {
    if (out == nullptr) return E_POINTER;
    HRESULT hr = S_OK;
    *out = controladorTypeInfo(lcid, &hr);
    if (*out != nullptr) (*out)->AddRef();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    HRESULT hr = S_OK;
    ITypeInfo* info = controladorTypeInfo(lcid, &hr);
    if (info == nullptr) return hr;
    if (count > 0 && (names == nullptr || ids == nullptr)) return E_POINTER;
    for (UINT i = 0; i < count; ++i) {
      if (cachedDispId(names[i], &ids[i])) continue;
      hr = info->GetIDsOfNames(names, count, ids);
      if (FAILED(hr)) break;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argErr) override {
    HRESULT hr = S_OK;
    ITypeInfo* info = controladorTypeInfo(lcid, &hr);
    if (info == nullptr) return hr;
    // A page that the browser may not let call us gets no further: the
    // method, and the disk, are never reached.
    if (!siteMayCall(safetyOptions_, site_)) return E_ACCESSDENIED;
    return info->Invoke(static_cast<IControlador*>(this), id, flags, params, result, excepInfo,
                        argErr);
  }

  // IControlador: the methods' bodies.
  LONG STDMETHODCALLTYPE criaInfraEstrutura(BSTR bstrPathRaiz) override {
    return Controlador::criaInfraEstrutura(bstrPathRaiz);
  }
  BSTR STDMETHODCALLTYPE recuperaArquivoUpload(BSTR bstrPathRaiz, LONG lIndice) override {
    return Controlador::recuperaArquivoUpload(bstrPathRaiz, lIndice);
  }
  LONG STDMETHODCALLTYPE existeArquivo(BSTR bstrNomeArquivo) override {
    return Controlador::existeArquivo(bstrNomeArquivo);
  }
  LONG STDMETHODCALLTYPE deletaArquivo(BSTR bstrNomeArquivo) override {
    return Controlador::deletaArquivo(bstrNomeArquivo);
  }
  LONG STDMETHODCALLTYPE geraArquivoUpload(BSTR bstrPathRaiz, BSTR bstrFI, BSTR bstrFIRename,
                                           LONG lIndice) override {
    return Controlador::geraArquivoUpload(bstrPathRaiz, bstrFI, bstrFIRename, lIndice);
  }
  BSTR STDMETHODCALLTYPE recuperaControleDownload(BSTR bstrPathRaiz) override {
    return Controlador::recuperaControleDownload(bstrPathRaiz);
  }
  LONG STDMETHODCALLTYPE disponibilizaArquivos(BSTR bstrPathRaiz) override {
    return Controlador::disponibilizaArquivos(bstrPathRaiz);
  }

  // IObjectWithSite: the container's site, from which the lock learns the page.
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
    if (site != nullptr) site->AddRef();
    if (site_ != nullptr) site_->Release();
    site_ = site;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    return site_ != nullptr ? site_->QueryInterface(riid, ppv) : E_FAIL;
  }

  // IObjectSafety: the options are recorded and reported; the methods never
  // see them, only the site lock in Invoke does.
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                      DWORD* enabled) override {
    if (supported == nullptr || enabled == nullptr) return E_POINTER;
    HRESULT hr = answers(riid);
    *supported = SUCCEEDED(hr) ? DWORD{INTERFACESAFE_FOR_UNTRUSTED_CALLER} : 0;
    *enabled = SUCCEEDED(hr) ? safetyOptions_ : 0;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                      DWORD enabled) override {
    if (FAILED(answers(riid))) return E_NOINTERFACE;
    if ((mask & ~DWORD{INTERFACESAFE_FOR_UNTRUSTED_CALLER}) != 0) return E_FAIL;
    safetyOptions_ = (safetyOptions_ & ~mask) | (enabled & mask);
    return S_OK;
  }

 private:
  HRESULT answers(REFIID riid) {
    IUnknown* probe = nullptr;
    HRESULT hr = QueryInterface(riid, reinterpret_cast<void**>(&probe));
    if (probe != nullptr) probe->Release();
    return hr;
  }

  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(ControladorObject& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      return owner_.queryOwn(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.addRefOwn(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.releaseOwn(); }

   private:
    ControladorObject& owner_;
  };

  DWORD safetyOptions_ = 0;
  LONG refs_ = 0;  // apartment-threaded: a plain counter
  IUnknown* site_ = nullptr;  // counted: the container may release it first
  InnerUnknown inner_;
  IUnknown* outer_;  // not counted: it owns this object
};

}  // namespace

HRESULT criaControlador(IUnknown* outer, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  auto* object = new (std::nothrow) ControladorObject(outer);
  if (object == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = object->queryOwn(riid, ppv);
  if (FAILED(hr)) delete object;
  return hr;
}

}  // namespace torvex
