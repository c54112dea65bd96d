// Late-bound calls with whatever a script may pass: any member id, flags,
// argument count, variant types (by reference too) and named positions,
// through the served type information into an interface table that answers
// every method. Nothing may crash, read out of bounds or leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include "component/interface_description.h"
#include "com/com.h"
#include "tests/support/inert_controlador.h"

namespace {

using namespace torvex;

class Quiet final : public torvex::testing::InertControlador {
 public:
  LONG STDMETHODCALLTYPE criaInfraEstrutura(BSTR a) override { return length(a); }
  BSTR STDMETHODCALLTYPE recuperaArquivoUpload(BSTR a, LONG) override { return copy(a); }
  LONG STDMETHODCALLTYPE existeArquivo(BSTR a) override { return length(a); }
  LONG STDMETHODCALLTYPE deletaArquivo(BSTR a) override { return length(a); }
  LONG STDMETHODCALLTYPE geraArquivoUpload(BSTR a, BSTR b, BSTR c, LONG n) override {
    return length(a) + length(b) + length(c) + n;
  }
  BSTR STDMETHODCALLTYPE recuperaControleDownload(BSTR a) override { return copy(a); }
  LONG STDMETHODCALLTYPE disponibilizaArquivos(BSTR a) override { return length(a); }

 private:
  // Reads every unit, so a bad string shows up under the sanitizers.
  static LONG length(BSTR s) {
    LONG sum = 0;
    for (UINT i = 0; i < SysStringLen(s); ++i) sum += s[i];
    return sum;
  }
  static BSTR copy(BSTR s) { return s == nullptr ? nullptr : SysAllocString(s); }
};

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

constexpr VARTYPE kTypes[] = {VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_BSTR, VT_BOOL,
                              VT_ERROR, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT,
                              VT_UINT, VT_DATE, VT_VARIANT};
constexpr size_t kMaxArgs = 6;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ITypeInfo* info = [] {
    ITypeLib* lib = newDescribedTypeLib(&kTorvexTypeLib);
    ITypeInfo* i = nullptr;
    lib->GetTypeInfoOfGuid(kIidIControlador, &i);
    lib->Release();
    return i;
  }();
  Bytes in(data, size);
  DISPID id = 0x60020000 + in.next() % 9 - 1;
  WORD flags = in.next() % 16;
  UINT count = in.next() % (kMaxArgs + 1);
  UINT named = count == 0 ? 0 : in.next() % (count + 1);

  VARIANT args[kMaxArgs];
  VARIANT referenced[kMaxArgs];  // what by-reference arguments point at
  BSTR strings[kMaxArgs] = {};
  DISPID positions[kMaxArgs];
  for (UINT i = 0; i < count; ++i) {
    VariantInit(&args[i]);
    VariantInit(&referenced[i]);
    uint8_t pick = in.next();
    VARTYPE vt = kTypes[pick % std::size(kTypes)];
    bool byref = (pick & 0x80) != 0;
    VARIANT& value = vt == VT_VARIANT ? referenced[i] : args[i];
    value.vt = vt == VT_VARIANT ? VT_I4 : vt;
    if (value.vt == VT_BSTR) {
      std::u16string text;
      for (uint8_t n = in.next() % 12; n > 0; --n) text += static_cast<char16_t>(in.next());
      strings[i] = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      value.bstrVal = strings[i];
    } else {
      for (int b = 0; b < 8; ++b) value.ullVal = value.ullVal << 8 | in.next();
    }
    if (vt == VT_VARIANT) {
      args[i].vt = VT_BYREF | VT_VARIANT;
      args[i].pvarVal = &referenced[i];
    } else if (byref && vt != VT_EMPTY && vt != VT_NULL) {
      referenced[i] = args[i];
      args[i].vt = static_cast<VARTYPE>(VT_BYREF | vt);
      args[i].byref = &referenced[i].llVal;
    }
    positions[i] = static_cast<DISPID>(in.next() % 6) - 1;
  }
  Quiet target;
  DISPPARAMS params = {args, positions, count, named};
  VARIANT result;
  VariantInit(&result);
  UINT argErr = 0;
  info->Invoke(static_cast<IControlador*>(&target), id, flags, &params, &result, nullptr, &argErr);
  VariantClear(&result);
  for (BSTR s : strings) SysFreeString(s);
  return 0;
}
