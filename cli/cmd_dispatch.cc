// `torvex --dispatch METHOD ARG...`: the call a late-bound host makes. The
// object comes from the registered server (ProgID, class key, library,
// class factory) and the method is reached through GetIDsOfNames and
// Invoke; parsing and printing are those of the direct mode.
#include <cstdio>
#include <vector>

#include "cli/methods.h"
#include "cli/subcommands.h"

namespace torvex::cli {

namespace {

class LateCaller : public MethodCaller {
 public:
  LateCaller() { CoInitialize(nullptr); }
  ~LateCaller() override { CoUninitialize(); }

  bool call(const Method& method, std::span<Value> arguments, Value& result) override {
    IDispatch* object = nullptr;
    HRESULT hr = create(&object);
    if (FAILED(hr)) return failure("cannot create TORVEX.Controlador", hr);
    hr = invoke(object, method, arguments, result);
    object->Release();
    return SUCCEEDED(hr) || failure(method.name, hr);
  }

 private:
  static bool failure(const char* what, HRESULT hr) {
    std::fprintf(stderr, "torvex: %s: 0x%08X\n", what, static_cast<unsigned>(hr));
    return false;
  }

  static HRESULT create(IDispatch** object) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(OLESTR("TORVEX.Controlador"), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object));
  }

  static HRESULT invoke(IDispatch* object, const Method& method, std::span<Value> arguments,
                        Value& result) {
    Bstr name = bstrFromUtf8(method.name);
    LPOLESTR names[] = {name.get()};
    DISPID id = 0;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    // DISPPARAMS holds the last argument first. The BSTRs stay owned by `arguments`.
    std::vector<VARIANT> variants(arguments.size());
    for (size_t i = 0; i < arguments.size(); ++i) {
      VARIANT& v = variants[arguments.size() - 1 - i];
      VariantInit(&v);
      if (method.parameters[i].type == Type::Text) {
        v.vt = VT_BSTR;
        v.bstrVal = arguments[i].text.get();
      } else {
        v.vt = VT_I4;
        v.lVal = arguments[i].number;
      }
    }
    DISPPARAMS parameters = {variants.data(), nullptr, static_cast<UINT>(variants.size()), 0};
    VARIANT returned;
    VariantInit(&returned);
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &returned,
                        nullptr, nullptr);
    if (FAILED(hr)) return hr;
    if (returned.vt == VT_BSTR) {
      result.text.reset(returned.bstrVal);  // ownership passes to the result
    } else {
      result.number = returned.lVal;
      VariantClear(&returned);
    }
    return S_OK;
  }
};

}  // namespace

int runDispatch(std::span<char* const> args) {
  LateCaller late;
  return callMethod(late, args);
}

}  // namespace torvex::cli
