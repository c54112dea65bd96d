#include "com/typeinfo_invoke_posix.h"

#include <cstdint>

namespace torvex {

namespace {

constexpr size_t kMaxParams = 4;

// Where DISPPARAMS holds the argument for parameter `p`: positional arguments
// fill the first parameters, last one first; named ones say their position.
HRESULT locateArguments(const DISPPARAMS& dp, size_t count, UINT (&source)[kMaxParams],
                        UINT* argErr) {
  UINT positional = dp.cArgs - dp.cNamedArgs;
  bool seen[kMaxParams] = {};
  for (UINT p = 0; p < positional; ++p) {
    source[p] = dp.cArgs - 1 - p;
    seen[p] = true;
  }
  for (UINT j = 0; j < dp.cNamedArgs; ++j) {
    DISPID position = dp.rgdispidNamedArgs[j];
    if (position < 0 || static_cast<size_t>(position) >= count || seen[position]) {
      if (argErr != nullptr) *argErr = j;
      return DISP_E_PARAMNOTFOUND;
    }
    source[position] = j;
    seen[position] = true;
  }
  return S_OK;
}

// The slot is called as the caller of a COM interface calls it: the instance
// first, then the arguments, each in one integer register (BSTR and long are
// both passed that way on the 64-bit ABIs this layer serves).
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
uint64_t callSlot(void* instance, size_t slot, const uint64_t* a, size_t n) {
  void* fn = (*static_cast<void***>(instance))[slot];
  switch (n) {
    case 0: return reinterpret_cast<uint64_t (*)(void*)>(fn)(instance);
    case 1: return reinterpret_cast<uint64_t (*)(void*, uint64_t)>(fn)(instance, a[0]);
    case 2:
      return reinterpret_cast<uint64_t (*)(void*, uint64_t, uint64_t)>(fn)(instance, a[0], a[1]);
    case 3:
      return reinterpret_cast<uint64_t (*)(void*, uint64_t, uint64_t, uint64_t)>(fn)(
          instance, a[0], a[1], a[2]);
    default:
      return reinterpret_cast<uint64_t (*)(void*, uint64_t, uint64_t, uint64_t, uint64_t)>(fn)(
          instance, a[0], a[1], a[2], a[3]);
  }
}

}  // namespace

HRESULT invokeThroughTable(void* instance, const TypeLibDescription& lib,
                           const FunctionDescription& f, DISPPARAMS* dp, VARIANT* result,
                           UINT* argErr) {
  if (instance == nullptr || dp == nullptr) return E_INVALIDARG;
  if ((dp->cArgs > 0 && dp->rgvarg == nullptr) || dp->cNamedArgs > dp->cArgs ||
      (dp->cNamedArgs > 0 && dp->rgdispidNamedArgs == nullptr))
    return E_INVALIDARG;
  size_t count = f.params.size();
  if (count > kMaxParams) return E_NOTIMPL;
  if (dp->cArgs != count) return DISP_E_BADPARAMCOUNT;
  UINT source[kMaxParams] = {};
  HRESULT hr = locateArguments(*dp, count, source, argErr);
  if (FAILED(hr)) return hr;

  VARIANT converted[kMaxParams];
  for (VARIANT& v : converted) VariantInit(&v);
  uint64_t args[kMaxParams] = {};
  for (size_t p = 0; p < count && SUCCEEDED(hr); ++p) {
    hr = VariantChangeType(&converted[p], &dp->rgvarg[source[p]], 0, f.params[p].type);
    if (FAILED(hr)) {
      if (argErr != nullptr) *argErr = source[p];
      if (hr != DISP_E_OVERFLOW) hr = DISP_E_TYPEMISMATCH;
    } else if (f.params[p].type == VT_BSTR) {
      args[p] = reinterpret_cast<uintptr_t>(converted[p].bstrVal);
    } else {
      args[p] = static_cast<uint32_t>(converted[p].lVal);
    }
  }
  if (SUCCEEDED(hr)) {
    size_t index = static_cast<size_t>(&f - lib.functions.data());
    uint64_t raw = callSlot(instance, TypeLibDescription::kFirstFunctionSlot + index, args, count);
    VARIANT out;
    VariantInit(&out);
    out.vt = f.result;
    if (f.result == VT_BSTR) {
      out.bstrVal = reinterpret_cast<BSTR>(static_cast<uintptr_t>(raw));
    } else {
      out.lVal = static_cast<LONG>(static_cast<uint32_t>(raw));
    }
    if (result != nullptr) {
      *result = out;
    } else {
      VariantClear(&out);
    }
  }
  for (VARIANT& v : converted) VariantClear(&v);
  return hr;
}

}  // namespace torvex
