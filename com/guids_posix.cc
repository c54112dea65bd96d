// The standard interface identifiers and GUID text conversion.
#include <cstdio>

#include "com/com.h"

const IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_IUnknown = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ITypeInfo = {0x00020401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ITypeLib = {0x00020402, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ITypeInfo2 = {0x00020412, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IObjectSafety = {
    0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
const IID IID_IBindCtx = {0x0000000E, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IMoniker = {0x0000000F, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IOleClientSite = {0x00000118, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IObjectWithSite = {
    0xFC4801A3, 0x2BA9, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}};
const IID IID_IServiceProvider = {
    0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};

namespace {

constexpr int kGuidTextLength = 38;  // braces, 32 digits, 4 hyphens

int hexDigit(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hex digits at text[*at], advancing; false on anything else.
bool readHex(LPCOLESTR text, int* at, int digits, uint32_t* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i) {
    int d = hexDigit(text[*at]);
    if (d < 0) return false;
    *value = *value << 4 | static_cast<uint32_t>(d);
    ++*at;
  }
  return true;
}

bool expect(LPCOLESTR text, int* at, OLECHAR c) {
  if (text[*at] != c) return false;
  ++*at;
  return true;
}

}  // namespace

int StringFromGUID2(REFGUID g, LPOLESTR out, int capacity) {
  if (out == nullptr || capacity < kGuidTextLength + 1) return 0;
  char text[kGuidTextLength + 1];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  for (int i = 0; i <= kGuidTextLength; ++i) out[i] = static_cast<OLECHAR>(text[i]);
  return kGuidTextLength + 1;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  if (text == nullptr) return CO_E_CLASSSTRING;
  CLSID g{};
  uint32_t part = 0;
  int at = 0;
  bool ok = expect(text, &at, u'{') && readHex(text, &at, 8, &g.Data1) &&
            expect(text, &at, u'-') && readHex(text, &at, 4, &part);
  g.Data2 = static_cast<uint16_t>(part);
  ok = ok && expect(text, &at, u'-') && readHex(text, &at, 4, &part);
  g.Data3 = static_cast<uint16_t>(part);
  ok = ok && expect(text, &at, u'-');
  for (int i = 0; ok && i < 8; ++i) {
    if (i == 2) ok = expect(text, &at, u'-');
    ok = ok && readHex(text, &at, 2, &part);
    g.Data4[i] = static_cast<uint8_t>(part);
  }
  ok = ok && expect(text, &at, u'}') && text[at] == 0;
  if (!ok) return CO_E_CLASSSTRING;
  *clsid = g;
  return S_OK;
}
