// site_toy.dll: two tiny in-process classes, alike but for IObjectWithSite,
// each an IDispatch without members. The Wine test creates both from
// VBScript to tell how the script host treats a site-aware object apart from
// anything in torvex.dll (docs/wine-departures.md). The test registers them
// itself; nothing ships this library.
#include <windows.h>

#include <ocidl.h>

namespace {

// {80D3A63A-D892-45DA-974D-E8A37A49AF48}: answers IDispatch only.
const CLSID kPlain = {0x80d3a63a, 0xd892, 0x45da, {0x97, 0x4d, 0xe8, 0xa3, 0x7a, 0x49, 0xaf, 0x48}};
// {361F9951-CE92-4095-BEBD-78C2176DE3B8}: answers IObjectWithSite too.
const CLSID kSited = {0x361f9951, 0xce92, 0x4095, {0xbe, 0xbd, 0x78, 0xc2, 0x17, 0x6d, 0xe3, 0xb8}};

// One object per class, for the life of the process and its own class
// factory: every creation hands out the same one, so nothing is counted or
// freed. The sited one keeps no site either; what matters is only that it
// answers IObjectWithSite.
class Toy final : public IClassFactory, public IDispatch, public IObjectWithSite {
 public:
  explicit Toy(bool sited) : sited_(sited) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *ppv = static_cast<IDispatch*>(this);
    } else if (riid == IID_IClassFactory) {
      *ppv = static_cast<IClassFactory*>(this);
    } else if (sited_ && riid == IID_IObjectWithSite) {
      *ppv = static_cast<IObjectWithSite*>(this);
    }
    return *ppv != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    return outer != nullptr ? CLASS_E_NOAGGREGATION : QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  // No members.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE SetSite(IUnknown*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSite(REFIID, void** out) override {
    if (out != nullptr) *out = nullptr;
    return E_FAIL;
  }

 private:
  const bool sited_;
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid,
                                                                             REFIID riid,
                                                                             void** ppv) {
  static Toy plain(false), sited(true);
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  Toy* toy = clsid == kPlain ? &plain : clsid == kSited ? &sited : nullptr;
  return toy != nullptr ? toy->QueryInterface(riid, ppv) : CLASS_E_CLASSNOTAVAILABLE;
}
