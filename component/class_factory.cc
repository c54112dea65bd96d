#include "component/class_factory.h"

#include <atomic>
#include <new>

#include "component/controlador_com.h"
#include "component/server_module.h"

namespace torvex {

namespace {

class ControladorFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // A second reference is a client's: it holds the library.
  ULONG STDMETHODCALLTYPE AddRef() override {
    LONG count = ++refs_;
    if (count == 2) serverModule().lock();
    return static_cast<ULONG>(count);
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG count = --refs_;
    if (count == 1) serverModule().unlock();
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    return criaControlador(outer, riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      serverModule().lock();
    } else {
      serverModule().unlock();
    }
    return S_OK;
  }

 private:
  std::atomic<LONG> refs_{1};
};

}  // namespace

IClassFactory* newControladorFactory() { return new (std::nothrow) ControladorFactory; }

}  // namespace torvex
