// The task allocator and a bind context. A moniker's display name is all
// the component asks of a bind context, so this one keeps no bound objects
// and no parameters: registering them is refused.
#include <atomic>
#include <cstdlib>
#include <new>

#include "com/com.h"

PVOID CoTaskMemAlloc(size_t size) { return std::malloc(size); }
void CoTaskMemFree(PVOID p) { std::free(p); }

namespace {

class BindContext final : public IBindCtx {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = riid == IID_IUnknown || riid == IID_IBindCtx ? this : nullptr;
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE RegisterObjectBound(IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RevokeObjectBound(IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ReleaseBoundObjects() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetBindOptions(BIND_OPTS*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindOptions(BIND_OPTS*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRunningObjectTable(IRunningObjectTable** rot) override {
    if (rot != nullptr) *rot = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RegisterObjectParam(LPOLESTR, IUnknown*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetObjectParam(LPOLESTR, IUnknown** punk) override {
    if (punk != nullptr) *punk = nullptr;
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE EnumObjectParam(IEnumString** e) override {
    if (e != nullptr) *e = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RevokeObjectParam(LPOLESTR) override { return E_FAIL; }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT CreateBindCtx(DWORD reserved, IBindCtx** ppbc) {
  if (ppbc == nullptr) return E_POINTER;
  *ppbc = nullptr;
  if (reserved != 0) return E_INVALIDARG;
  *ppbc = new (std::nothrow) BindContext;
  return *ppbc != nullptr ? S_OK : E_OUTOFMEMORY;
}
