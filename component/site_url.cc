#include "component/site_url.h"

namespace torvex {

namespace {

// The browser application service; its object is the browser's automation
// object, whose LocationURL property is read late-bound.
constexpr GUID kSidWebBrowserApp = {
    0x0002DF05, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

template <typename T>
struct Held {
  T* p = nullptr;
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (p != nullptr) p->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p); }
};

std::string printable(const OLECHAR* text, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    const auto c = static_cast<uint32_t>(text[i]);
    out += c > 0x20 && c < 0x7F ? static_cast<char>(c) : '\x7F';
  }
  return out;
}

std::string documentMonikerUrl(IUnknown* site) {
  Held<IOleClientSite> client;
  if (FAILED(site->QueryInterface(IID_IOleClientSite, client.out())) || client.p == nullptr) {
    return {};
  }
  Held<IMoniker> moniker;
  if (FAILED(client.p->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker.p)) ||
      moniker.p == nullptr) {
    return {};
  }
  Held<IBindCtx> context;
  if (FAILED(CreateBindCtx(0, &context.p))) return {};
  LPOLESTR name = nullptr;
  if (FAILED(moniker.p->GetDisplayName(context.p, nullptr, &name)) || name == nullptr) return {};
  size_t n = 0;
  while (name[n] != 0) ++n;
  std::string url = printable(name, n);
  CoTaskMemFree(name);
  return url;
}

std::string browserLocationUrl(IUnknown* site) {
  Held<IServiceProvider> services;
  if (FAILED(site->QueryInterface(IID_IServiceProvider, services.out())) ||
      services.p == nullptr) {
    return {};
  }
  Held<IDispatch> browser;
  if (FAILED(services.p->QueryService(kSidWebBrowserApp, IID_IDispatch, browser.out())) ||
      browser.p == nullptr) {
    return {};
  }
  OLECHAR property[] = {'L', 'o', 'c', 'a', 't', 'i', 'o', 'n', 'U', 'R', 'L', 0};
  LPOLESTR names[] = {property};
  DISPID id = 0;
  if (FAILED(browser.p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  std::string url;
  if (SUCCEEDED(browser.p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  &value, nullptr, nullptr)) &&
      value.vt == VT_BSTR && value.bstrVal != nullptr) {
    url = printable(value.bstrVal, SysStringLen(value.bstrVal));
  }
  VariantClear(&value);
  return url;
}

}  // namespace

std::string siteUrl(IUnknown* site) {
  if (site == nullptr) return {};
  std::string url = documentMonikerUrl(site);
  return url.empty() ? browserLocationUrl(site) : url;
}

}  // namespace torvex
