// Automation data: Windows' 64-bit layout, GUID text, and the variant
// conversions that dispatch applies to arguments. On POSIX the runtime is
// ours, on Windows the system's, which the same expectations hold for.
#include <gtest/gtest.h>

#include <cstddef>

#include "tests/component_com/com_fixture.h"
#include "tests/support/windows_limits.h"

namespace torvex::testing {
namespace {

// Which values a conversion refuses is the runtime's own: on Windows the
// system's, which converts more than dispatch needs.
constexpr const char* kSystemsRefusals =
    "the test pins which values our POSIX runtime refuses; on Windows VariantChangeType is the "
    "system's, which converts more (Wine 8 turns \"+-5\", a VT_UI4 of 0x80000000 and a VT_DATE "
    "into a long and calls a VT_ERROR DISP_E_BADVARTYPE), and the server leaves it the choice";

TEST(AutomationLayout, MatchesWindows64) {
  if (sizeof(void*) != 8) GTEST_SKIP() << "a 32-bit program has Windows' 32-bit layout";
  EXPECT_EQ(sizeof(GUID), 16u);
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
  EXPECT_EQ(sizeof(DISPPARAMS), 24u);
  EXPECT_EQ(offsetof(DISPPARAMS, cArgs), 16u);
  EXPECT_EQ(sizeof(EXCEPINFO), 64u);
  EXPECT_EQ(sizeof(HRESULT), 4u);
  EXPECT_EQ(sizeof(LONG), 4u);
  EXPECT_EQ(offsetof(FUNCDESC, oVft), 40u);
  EXPECT_EQ(sizeof(TLIBATTR), 32u);
}

TEST(GuidText, RoundTripsAndRejectsMalformedText) {
  const GUID g = {0x1E7EDBF8, 0x0218, 0x45BC, {0x98, 0x1C, 0xD5, 0x59, 0x9E, 0xF3, 0xBA, 0x47}};
  OLECHAR text[39];
  ASSERT_EQ(StringFromGUID2(g, text, 39), 39);
  EXPECT_EQ(OleText(text), OLESTR("{1E7EDBF8-0218-45BC-981C-D5599EF3BA47}"));
  EXPECT_EQ(StringFromGUID2(g, text, 38), 0);
  CLSID back{};
  ASSERT_EQ(CLSIDFromString(OLESTR("{1e7edbf8-0218-45bc-981c-d5599ef3ba47}"), &back), S_OK);
  EXPECT_EQ(back, g);
  for (const OLECHAR* bad : {OLESTR(""), OLESTR("{1E7EDBF8-0218-45BC-981C-D5599EF3BA47"), OLESTR("1E7EDBF8"),
                              OLESTR("{1E7EDBF8-0218-45BC-981C-D5599EF3BA47}x"),
                              OLESTR("{1E7EDBF8-0218-45BC-981CD-5599EF3BA47}"),
                              OLESTR("{1E7EDBF8-0218-45BC-981C-D5599EF3BA4G}")})
    EXPECT_EQ(CLSIDFromString(bad, &back), CO_E_CLASSSTRING) << narrow(OwnedBstr(bad).get());
}

class ToLong : public ::testing::Test {
 protected:
  HRESULT fromText(const OLECHAR* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    HRESULT hr = VariantChangeType(&v, &v, 0, VT_I4);  // in place: the string is freed
    value = v.lVal;
    VariantClear(&v);
    return hr;
  }
  LONG value = 0;
};

TEST_F(ToLong, ReadsNumbersInStrings) {
  EXPECT_EQ(fromText(OLESTR(" 42 ")), S_OK);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(fromText(OLESTR("-7")), S_OK);
  EXPECT_EQ(value, -7);
  EXPECT_EQ(fromText(OLESTR("+5")), S_OK);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(fromText(OLESTR("&HFF")), S_OK);
  EXPECT_EQ(value, 255);
  EXPECT_EQ(fromText(OLESTR("1e3")), S_OK);
  EXPECT_EQ(value, 1000);
  EXPECT_EQ(fromText(OLESTR("-2147483648")), S_OK);
  EXPECT_EQ(value, -2147483647 - 1);
}

TEST_F(ToLong, RoundsHalfToEven) {
  EXPECT_EQ(fromText(OLESTR("2.5")), S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(fromText(OLESTR("3.5")), S_OK);
  EXPECT_EQ(value, 4);
  EXPECT_EQ(fromText(OLESTR("-2.5")), S_OK);
  EXPECT_EQ(value, -2);
}

TEST_F(ToLong, RefusesWhatIsNoNumberAndWhatDoesNotFit) {
  if (kWin32Surroundings) GTEST_SKIP() << kSystemsRefusals;
  for (const OLECHAR* bad : {OLESTR(""), OLESTR("   "), OLESTR("abc"), OLESTR("12abc"), OLESTR("--5"), OLESTR("+-5"), OLESTR("1 2"), OLESTR("\u00e912")})
    EXPECT_EQ(fromText(bad), DISP_E_TYPEMISMATCH) << narrow(OwnedBstr(bad).get());
  EXPECT_EQ(fromText(OLESTR("2147483648")), DISP_E_OVERFLOW);
  EXPECT_EQ(fromText(OLESTR("1e300")), DISP_E_OVERFLOW);
}

TEST(VariantChange, NumbersAndBooleansToLong) {
  if (kWin32Surroundings) GTEST_SKIP() << kSystemsRefusals;
  VARIANT v, out;
  VariantInit(&v);
  VariantInit(&out);
  v.vt = VT_R8;
  v.dblVal = 6.5;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 6);
  v.vt = VT_BOOL;
  v.boolVal = VARIANT_TRUE;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, -1);
  v.vt = VT_UI4;
  v.ulVal = 0x80000000u;
  EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_I4), DISP_E_OVERFLOW);
  v.vt = VT_EMPTY;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 0);
  for (VARTYPE refused : {VT_NULL, VT_ERROR, VT_DISPATCH, VT_UNKNOWN, VT_DATE}) {
    v.vt = refused;
    v.llVal = 0;
    EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_I4), DISP_E_TYPEMISMATCH) << refused;
  }
}

TEST(VariantChange, ValuesToString) {
  VARIANT v, out;
  VariantInit(&v);
  VariantInit(&out);
  v.vt = VT_I4;
  v.lVal = -123;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(narrow(out.bstrVal), "-123");
  v.vt = VT_R8;
  v.dblVal = 2.5;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);  // frees the previous string
  EXPECT_EQ(narrow(out.bstrVal), "2.5");
  v.vt = VT_EMPTY;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);
  ASSERT_NE(out.bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(out.bstrVal), 0u);
  VariantClear(&out);
}

TEST(VariantChange, ByReferenceValuesAreRead) {
  LONG number = 17;
  VARIANT v, out;
  VariantInit(&out);
  v.vt = VT_BYREF | VT_I4;
  v.plVal = &number;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(narrow(out.bstrVal), "17");
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_BSTR;
  inner.bstrVal = SysAllocString(OLESTR("9"));
  v.vt = VT_BYREF | VT_VARIANT;
  v.pvarVal = &inner;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 9);
  EXPECT_EQ(inner.vt, VT_BSTR) << "the referenced value stays as it was";
  VariantClear(&inner);
}

}  // namespace
}  // namespace torvex::testing
