// `torvex --dispatch METHOD ARG...`: the call a late-bound host makes. The
// object comes from the registered server (ProgID, class key, library,
// class factory) and the method is reached through GetIDsOfNames and
// Invoke; parsing and printing are those of the direct mode.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/methods.h"
#include "cli/subcommands.h"

namespace torvex::cli {

namespace {

class LateCaller : public MethodCaller {
 public:
  LateCaller() { CoInitialize(nullptr); }
  ~LateCaller() override { CoUninitialize(); }

  // The name goes to GetIDsOfNames as typed, so whatever letter case the
  // type information accepts works, as with a script host; the table, read
  // without regard to case, only says how to read the arguments.
  const Method* find(const char* name) override {
    typedName_ = name;
    return findMethodAnyCase(name);
  }

  bool call(const Method& method, std::span<Value> arguments, Value& result) override {
    IDispatch* object = nullptr;
    HRESULT hr = create(&object);
    if (FAILED(hr)) return failure("cannot create TORVEX.Controlador", hr);
    Bstr name = bstrFromText(typedName_.c_str());
    LPOLESTR names[] = {name.get()};
    DISPID id = 0;
    hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
      object->Release();
      return failure(("GetIDsOfNames does not know " + typedName_).c_str(), hr);
    }
    hr = invoke(object, id, method, arguments, result);
    object->Release();
    return SUCCEEDED(hr) || failure(typedName_.c_str(), hr);
  }

 private:
  // The failures a missing or stale registration gives say what to do.
  static bool failure(const char* what, HRESULT hr) {
    const bool unregistered = hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG ||
                              hr == TYPE_E_LIBNOTREGISTERED || hr == TYPE_E_CANTLOADLIBRARY;
    std::fprintf(stderr, "torvex: %s: 0x%08X%s\n", what, static_cast<unsigned>(hr),
                 unregistered ? " (the component is not registered: run torvex register first)"
                              : "");
    return false;
  }

  std::string typedName_;

  static HRESULT create(IDispatch** object) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(OLESTR("TORVEX.Controlador"), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object));
  }

  static HRESULT invoke(IDispatch* object, DISPID id, const Method& method,
                        std::span<Value> arguments, Value& result) {
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
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                &returned, nullptr, nullptr);
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
