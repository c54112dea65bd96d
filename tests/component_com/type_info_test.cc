// The type information of the interface table: descriptions, name lookup
// without regard to case, and Invoke's argument handling, checked against an
// interface table that records what reaches it. On POSIX it is served from
// the table itself; on Windows the system loads it from the type library
// this program carries, compiled from the IDL the table generates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/interface_description.h"
#include "com/com.h"
#include "platform/platform.h"
#include "tests/support/inert_controlador.h"
#include "tests/component_com/com_fixture.h"
#include "tests/support/wine.h"

namespace torvex::testing {
namespace {

// Answers every method by recording its call as text.
class RecordingControlador final : public InertControlador {
 public:
  std::vector<std::string> calls;
  BSTR nextText = nullptr;

  LONG STDMETHODCALLTYPE criaInfraEstrutura(BSTR a) override { return record("cria", {a}, 10); }
  BSTR STDMETHODCALLTYPE recuperaArquivoUpload(BSTR a, LONG i) override {
    record("recuperaArquivo", {a}, 0, i);
    return take();
  }
  LONG STDMETHODCALLTYPE existeArquivo(BSTR a) override { return record("existe", {a}, 12); }
  LONG STDMETHODCALLTYPE deletaArquivo(BSTR a) override { return record("deleta", {a}, 13); }
  LONG STDMETHODCALLTYPE geraArquivoUpload(BSTR a, BSTR b, BSTR c, LONG i) override {
    return record("gera", {a, b, c}, 14, i);
  }
  BSTR STDMETHODCALLTYPE recuperaControleDownload(BSTR a) override {
    record("recuperaControle", {a}, 0);
    return take();
  }
  LONG STDMETHODCALLTYPE disponibilizaArquivos(BSTR a) override {
    return record("disponibiliza", {a}, -16);
  }

 private:
  LONG record(const char* name, std::initializer_list<BSTR> texts, LONG result, LONG n = 0) {
    std::string call = name;
    for (BSTR t : texts) call += " [" + (t == nullptr ? std::string("null") : narrow(t)) + "]";
    if (n != 0) call += " " + std::to_string(n);
    calls.push_back(call);
    return result;
  }
  BSTR take() {
    BSTR t = nextText;
    nextText = nullptr;
    return t;
  }
};

VARIANT text(const OLECHAR* s) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(s);
  return v;
}

VARIANT number(LONG n) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

class DescribedTypeInfo : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    ASSERT_EQ(LoadTypeLib(wide(platform().executablePath()).c_str(), &lib), S_OK);
#else
    lib = newDescribedTypeLib(&kTorvexTypeLib);
#endif
    ASSERT_NE(lib, nullptr);
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kIidIControlador, info.put()), S_OK);
  }
  void TearDown() override {
    for (VARIANT& v : args) VariantClear(&v);
    VariantClear(&result);
    info.reset();
    if (lib != nullptr) lib->Release();
  }

  void setArgs(std::vector<VARIANT> values) {
    for (VARIANT& v : args) VariantClear(&v);
    args = std::move(values);
  }

  // Invokes `id` with `args` as DISPPARAMS holds them (last argument first).
  HRESULT invoke(DISPID id, WORD flags = DISPATCH_METHOD) {
    DISPPARAMS dp = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    VariantClear(&result);
    return info->Invoke(static_cast<IControlador*>(&target), id, flags, &dp, &result, nullptr,
                        &argErr);
  }

  ITypeLib* lib = nullptr;
  ComPtr<ITypeInfo> info;
  RecordingControlador target;
  std::vector<VARIANT> args;
  VARIANT result = {};
  UINT argErr = 99;
};

TEST_F(DescribedTypeInfo, DescribesADispatchableInterfaceAndACreatableClass) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(attr->cFuncs, 7);
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < 7; ++i) {
    FUNCDESC* f = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
    EXPECT_EQ(f->memid, static_cast<MEMBERID>(0x60020000 + i));
    EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL);
    EXPECT_EQ(f->invkind, INVOKE_FUNC);
    EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, i == 1 || i == 5 ? VT_BSTR : VT_I4);
    for (SHORT p = 0; p < f->cParams; ++p)
      EXPECT_EQ(f->lprgelemdescParam[p].paramdesc.wParamFlags, 0) << "no direction flags";
    info->ReleaseFuncDesc(f);
  }
  FUNCDESC* none = nullptr;
  EXPECT_EQ(info->GetFuncDesc(7, &none), TYPE_E_ELEMENTNOTFOUND);

  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(kClsidControlador, coclass.put()), S_OK);
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
  coclass->ReleaseTypeAttr(attr);
  ComPtr<ITypeInfo> implemented;
  HREFTYPE ref = 0;
  ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
  ASSERT_EQ(coclass->GetRefTypeInfo(ref, implemented.put()), S_OK);
  EXPECT_EQ(implemented.get(), info.get());
  ComPtr<ITypeInfo> foreign;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(IID_IDispatch, foreign.put()), TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(DescribedTypeInfo, DocumentsTheLibraryTypesAndMembers) {
  BSTR name = nullptr, doc = nullptr;
  ASSERT_EQ(lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_EQ(narrow(name), "TORVEXLib");
  EXPECT_EQ(narrow(doc), "TORVEX 1.0 Type Library");
  SysFreeString(name);
  SysFreeString(doc);
  ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_EQ(narrow(name), "IControlador");
  EXPECT_EQ(narrow(doc), "IControlador Interface");
  SysFreeString(name);
  SysFreeString(doc);
  ASSERT_EQ(info->GetDocumentation(0x60020006, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_EQ(narrow(name), "disponibilizaArquivos");
  EXPECT_EQ(narrow(doc), "Faz a disponibilizacao dos arquivos recebidos");
  SysFreeString(name);
  SysFreeString(doc);
  EXPECT_EQ(info->GetDocumentation(0x60020007, &name, nullptr, nullptr, nullptr),
            TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(DescribedTypeInfo, LooksNamesUpWithoutRegardToCase) {
  OLECHAR exact[] = OLESTR("existeArquivo");
  OLECHAR upper[] = OLESTR("EXISTEARQUIVO");
  OLECHAR unknown[] = OLESTR("existeArquivos");
  DISPID id = 0;
  LPOLESTR names[] = {exact};
  EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
  EXPECT_EQ(id, 0x60020002);
  names[0] = upper;
  EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
  EXPECT_EQ(id, 0x60020002);
  names[0] = unknown;
  EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);

  OLECHAR method[] = OLESTR("geraArquivoUpload");
  OLECHAR index[] = OLESTR("LINDICE");
  OLECHAR nonsense[] = OLESTR("bstrNada");
  LPOLESTR withParams[] = {method, index, nonsense};
  DISPID ids[3] = {};
  EXPECT_EQ(info->GetIDsOfNames(withParams, 3, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 0x60020004);
  EXPECT_EQ(ids[1], 3);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
}

TEST_F(DescribedTypeInfo, ArgumentsArriveLastOneFirstAndReachTheRightSlot) {
  setArgs({number(5), text(OLESTR("C:/rename")), text(OLESTR("C:/fi")), text(OLESTR("C:/root"))});
  ASSERT_EQ(invoke(0x60020004), S_OK);
  ASSERT_EQ(target.calls.size(), 1u);
  EXPECT_EQ(target.calls[0], "gera [C:/root] [C:/fi] [C:/rename] 5");
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 14);

  setArgs({text(OLESTR("x"))});
  ASSERT_EQ(invoke(0x60020006), S_OK);
  EXPECT_EQ(target.calls.back(), "disponibiliza [x]");
  EXPECT_EQ(result.lVal, -16) << "a negative long survives the call";
}

TEST_F(DescribedTypeInfo, ANullStringArrivesAsANullString) {
  setArgs({number(1), text(OLESTR("")), text(nullptr), text(OLESTR("C:/root"))});
  ASSERT_EQ(invoke(0x60020004), S_OK);
  EXPECT_EQ(target.calls.back(), "gera [C:/root] [null] [] 1");
}

TEST_F(DescribedTypeInfo, ConvertsNumbersInStringsAndNumbersForStrings) {
  setArgs({text(OLESTR(" 12 ")), number(7)});  // lIndice as text, bstrPathRaiz as a number
  ASSERT_EQ(invoke(0x60020001), S_OK);
  EXPECT_EQ(target.calls.back(), "recuperaArquivo [7] 12");
}

TEST_F(DescribedTypeInfo, ByReferenceArgumentsAreDereferenced) {
  BSTR path = SysAllocString(OLESTR("C:/by/ref"));
  LONG n = 3;
  VARIANT byrefText, byrefNumber;
  byrefText.vt = VT_BYREF | VT_BSTR;
  byrefText.pbstrVal = &path;
  byrefNumber.vt = VT_BYREF | VT_I4;
  byrefNumber.plVal = &n;
  VARIANT raw[] = {byrefNumber, byrefText};
  DISPPARAMS dp = {raw, nullptr, 2, 0};
  ASSERT_EQ(info->Invoke(static_cast<IControlador*>(&target), 0x60020001, DISPATCH_METHOD, &dp,
                         &result, nullptr, &argErr),
            S_OK);
  EXPECT_EQ(target.calls.back(), "recuperaArquivo [C:/by/ref] 3");
  SysFreeString(path);
}

TEST_F(DescribedTypeInfo, NamedArgumentsGoToTheirPositions) {
  setArgs({number(4), text(OLESTR("C:/root"))});
  DISPID named[] = {1};  // rgvarg[0] is lIndice
  DISPPARAMS dp = {args.data(), named, 2, 1};
  ASSERT_EQ(info->Invoke(static_cast<IControlador*>(&target), 0x60020001, DISPATCH_METHOD, &dp,
                         &result, nullptr, &argErr),
            S_OK);
  EXPECT_EQ(target.calls.back(), "recuperaArquivo [C:/root] 4");
  DISPID wrong[] = {0};  // names the position that the positional argument already fills
  dp.rgdispidNamedArgs = wrong;
  const bool w8 = underWine();  // W8 in docs/wine-departures.md
  EXPECT_EQ(info->Invoke(static_cast<IControlador*>(&target), 0x60020001, DISPATCH_METHOD, &dp,
                         &result, nullptr, &argErr),
            w8 ? DISP_E_TYPEMISMATCH : DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(argErr, w8 ? 99u : 0u);
}

TEST_F(DescribedTypeInfo, WrongCountsAndTypesAreRefusedBeforeAnyCall) {
  const bool w8 = underWine();  // W8 in docs/wine-departures.md
  setArgs({text(OLESTR("a"))});
  EXPECT_EQ(invoke(0x60020001), DISP_E_BADPARAMCOUNT);
  setArgs({text(OLESTR("a")), text(OLESTR("b")), text(OLESTR("c"))});
  EXPECT_EQ(invoke(0x60020001), w8 ? DISP_E_TYPEMISMATCH : DISP_E_BADPARAMCOUNT);
  setArgs({});
  EXPECT_EQ(invoke(0x60020002), DISP_E_BADPARAMCOUNT);
  setArgs({text(OLESTR("many")), text(OLESTR("C:/root"))});  // lIndice is rgvarg[0]
  EXPECT_EQ(invoke(0x60020001), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, w8 ? 99u : 0u);
  setArgs({number(1), text(OLESTR("c")), text(OLESTR("b")), text(OLESTR("a"))});
  VariantClear(&args[2]);
  args[2].vt = VT_NULL;  // bstrFI
  EXPECT_EQ(invoke(0x60020004), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, w8 ? 99u : 2u);
  EXPECT_TRUE(target.calls.empty());
}

TEST_F(DescribedTypeInfo, UnknownMembersAndPropertyAccessAreNotFound) {
  setArgs({text(OLESTR("a"))});
  EXPECT_EQ(invoke(0x60020007), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(0), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(0x60020002, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(0x60020002, DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
}

TEST_F(DescribedTypeInfo, StringResultsPassToTheCallerOrAreFreed) {
  setArgs({text(OLESTR("C:/root"))});
  target.nextText = SysAllocString(OLESTR("C:/root/Outtray/ContDown.dat"));
  ASSERT_EQ(invoke(0x60020005), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(narrow(result.bstrVal), "C:/root/Outtray/ContDown.dat");
  ASSERT_EQ(invoke(0x60020005), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(result.bstrVal, nullptr) << "nothing found is a null string";
  target.nextText = SysAllocString(OLESTR("dropped"));
  DISPPARAMS dp = {args.data(), nullptr, 1, 0};
  EXPECT_EQ(info->Invoke(static_cast<IControlador*>(&target), 0x60020005, DISPATCH_METHOD, &dp,
                         nullptr, nullptr, nullptr),
            S_OK)
      << "without a result variant the string is freed (the leak checker would see it)";
}

}  // namespace
}  // namespace torvex::testing
