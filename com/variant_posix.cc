// Variants: clearing, copying and the conversions to long and to string that
// type-information dispatch needs, with VariantChangeType's rules (numbers in
// strings are read, reals round half to even, out-of-range is an overflow).
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "com/com.h"

void VariantInit(VARIANTARG* v) {
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (v->vt == VT_BSTR) {
    SysFreeString(v->bstrVal);
  } else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal != nullptr) {
    v->punkVal->Release();
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal != nullptr) {
    src->punkVal->AddRef();
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

namespace {

HRESULT longFromDouble(double d, LONG* out) {
  if (std::isnan(d)) return DISP_E_OVERFLOW;
  double rounded = std::nearbyint(d);  // the default mode rounds half to even
  if (rounded < std::numeric_limits<LONG>::min() || rounded > std::numeric_limits<LONG>::max())
    return DISP_E_OVERFLOW;
  *out = static_cast<LONG>(rounded);
  return S_OK;
}

template <typename T>
HRESULT longFromInteger(T value, LONG* out) {
  if (value < static_cast<T>(0) ? static_cast<long long>(value) < std::numeric_limits<LONG>::min()
                                : static_cast<unsigned long long>(value) >
                                      static_cast<unsigned long long>(
                                          std::numeric_limits<LONG>::max()))
    return DISP_E_OVERFLOW;
  *out = static_cast<LONG>(value);
  return S_OK;
}

bool isBlank(OLECHAR c) { return c == u' ' || c == u'\t'; }

// "&H1F" and "&O17" are hexadecimal and octal, as automation reads them; the
// result wraps to 32 bits like VarI4FromStr.
HRESULT longFromPrefixed(const std::string& digits, int base, LONG* out) {
  unsigned long long value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || end != digits.data() + digits.size()) return DISP_E_TYPEMISMATCH;
  if (error != std::errc() || value > 0xFFFFFFFFull) return DISP_E_OVERFLOW;
  *out = static_cast<LONG>(static_cast<uint32_t>(value));
  return S_OK;
}

HRESULT longFromString(BSTR s, LONG* out) {
  UINT length = SysStringLen(s);
  UINT begin = 0;
  while (begin < length && isBlank(s[begin])) ++begin;
  while (length > begin && isBlank(s[length - 1])) --length;
  std::string text;
  for (UINT i = begin; i < length; ++i) {
    if (s[i] > 0x7F) return DISP_E_TYPEMISMATCH;
    text += static_cast<char>(s[i]);
  }
  if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h'))
    return longFromPrefixed(text.substr(2), 16, out);
  if (text.size() > 2 && text[0] == '&' && (text[1] == 'O' || text[1] == 'o'))
    return longFromPrefixed(text.substr(2), 8, out);
  // from_chars reads a leading "-" itself but no "+".
  size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  if (start == 1 && start < text.size() && (text[1] == '+' || text[1] == '-'))
    return DISP_E_TYPEMISMATCH;
  double value = 0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (first == last || end != last) return DISP_E_TYPEMISMATCH;
  if (error != std::errc()) return DISP_E_OVERFLOW;
  return longFromDouble(value, out);
}

HRESULT toLong(const VARIANT& v, LONG* out) {
  switch (v.vt) {
    case VT_EMPTY: *out = 0; return S_OK;
    case VT_I1: *out = v.cVal; return S_OK;
    case VT_UI1: *out = v.bVal; return S_OK;
    case VT_I2: *out = v.iVal; return S_OK;
    case VT_UI2: *out = v.uiVal; return S_OK;
    case VT_I4: *out = v.lVal; return S_OK;
    case VT_INT: *out = v.intVal; return S_OK;
    case VT_UI4: return longFromInteger(v.ulVal, out);
    case VT_UINT: return longFromInteger(v.uintVal, out);
    case VT_I8: return longFromInteger(v.llVal, out);
    case VT_UI8: return longFromInteger(v.ullVal, out);
    case VT_R4: return longFromDouble(v.fltVal, out);
    case VT_R8: return longFromDouble(v.dblVal, out);
    case VT_BOOL: *out = v.boolVal ? -1 : 0; return S_OK;
    case VT_BSTR: return longFromString(v.bstrVal, out);
    default: return DISP_E_TYPEMISMATCH;
  }
}

BSTR bstrFromAscii(const char* text) {
  std::u16string wide;
  for (const char* c = text; *c != 0; ++c) wide += static_cast<char16_t>(*c);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

HRESULT toString(const VARIANT& v, BSTR* out) {
  char text[64];
  switch (v.vt) {
    case VT_EMPTY: text[0] = 0; break;
    case VT_I1: std::snprintf(text, sizeof text, "%d", v.cVal); break;
    case VT_UI1: std::snprintf(text, sizeof text, "%u", v.bVal); break;
    case VT_I2: std::snprintf(text, sizeof text, "%d", v.iVal); break;
    case VT_UI2: std::snprintf(text, sizeof text, "%u", v.uiVal); break;
    case VT_I4: std::snprintf(text, sizeof text, "%d", static_cast<int>(v.lVal)); break;
    case VT_INT: std::snprintf(text, sizeof text, "%d", v.intVal); break;
    case VT_UI4: std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(v.ulVal)); break;
    case VT_UINT: std::snprintf(text, sizeof text, "%u", v.uintVal); break;
    case VT_I8: std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v.llVal)); break;
    case VT_UI8:
      std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(v.ullVal));
      break;
    case VT_R4: std::snprintf(text, sizeof text, "%.7G", static_cast<double>(v.fltVal)); break;
    case VT_R8: std::snprintf(text, sizeof text, "%.15G", v.dblVal); break;
    case VT_BOOL: std::snprintf(text, sizeof text, "%d", v.boolVal ? -1 : 0); break;
    case VT_BSTR:  // a null string stays null: some callees tell it from ""
      if (v.bstrVal == nullptr) {
        *out = nullptr;
        return S_OK;
      }
      *out = SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal));
      return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
  *out = bstrFromAscii(text);
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

// The value a by-reference variant points at, as a plain variant (not owned).
HRESULT dereference(const VARIANT& v, VARIANT* plain) {
  VariantInit(plain);
  if ((v.vt & VT_BYREF) == 0) {
    *plain = v;
    return S_OK;
  }
  if (v.byref == nullptr) return E_INVALIDARG;
  VARTYPE base = v.vt & ~VT_BYREF;
  if (base == VT_VARIANT) return dereference(*v.pvarVal, plain);
  plain->vt = base;
  switch (base) {
    case VT_I1: plain->cVal = *v.pcVal; return S_OK;
    case VT_UI1: plain->bVal = *v.pbVal; return S_OK;
    case VT_I2: plain->iVal = *v.piVal; return S_OK;
    case VT_UI2: plain->uiVal = *v.puiVal; return S_OK;
    case VT_I4: plain->lVal = *v.plVal; return S_OK;
    case VT_UI4: plain->ulVal = *v.pulVal; return S_OK;
    case VT_INT: plain->intVal = *v.pintVal; return S_OK;
    case VT_UINT: plain->uintVal = *v.puintVal; return S_OK;
    case VT_I8: plain->llVal = *v.pllVal; return S_OK;
    case VT_UI8: plain->ullVal = *v.pullVal; return S_OK;
    case VT_R4: plain->fltVal = *v.pfltVal; return S_OK;
    case VT_R8: plain->dblVal = *v.pdblVal; return S_OK;
    case VT_BOOL: plain->boolVal = *v.pboolVal; return S_OK;
    case VT_BSTR: plain->bstrVal = *v.pbstrVal; return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT, VARTYPE vt) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  VARIANT plain;
  HRESULT hr = dereference(*src, &plain);
  if (FAILED(hr)) return hr;
  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  if (vt == VT_I4) {
    hr = toLong(plain, &result.lVal);
  } else if (vt == VT_BSTR) {
    hr = toString(plain, &result.bstrVal);
  } else if (vt == plain.vt) {
    hr = VariantCopy(&result, &plain);
  } else {
    hr = DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) return hr;
  VariantClear(dest);  // after the conversion: dest may be src
  *dest = result;
  return S_OK;
}
