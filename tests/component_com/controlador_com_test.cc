// The Controlador object as hosts see it: its interfaces, early- and
// late-bound calls, the safety options and aggregation.
#include "component/icontrolador.h"
#include "component/interface_description.h"
#include "tests/component_com/com_fixture.h"

namespace torvex::testing {
namespace {

class ControladorObject : public ComTest {
 protected:
  void SetUp() override {
    ComTest::SetUp();
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidIControlador, object.out()), S_OK);
  }
  void TearDown() override {
    object.reset();
    ComTest::TearDown();
  }

  DISPID idOf(const OLECHAR* name, HRESULT* hr) {
    OleText copy = name;
    LPOLESTR names[] = {copy.data()};
    DISPID id = 0;
    *hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
  }

  // Calls `id` with one string argument.
  HRESULT invoke(DISPID id, const OLECHAR* argument, VARIANT* result) {
    OwnedBstr text(argument);
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = text.get();
    DISPPARAMS dp = {&arg, nullptr, 1, 0};
    UINT argErr = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, result,
                          nullptr, &argErr);
  }

  ComPtr<IControlador> object;
};

TEST_F(ControladorObject, AnswersItsInterfaceMapAndNothingElse) {
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, unknown.out()), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IDispatch, dispatch.out()), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IObjectSafety, safety.out()), S_OK);
  EXPECT_EQ(unknown.get(), static_cast<IUnknown*>(object.get()));
  EXPECT_EQ(dispatch.get(), static_cast<IDispatch*>(object.get()))
      << "IDispatch is answered with IControlador itself";
  ComPtr<IUnknown> fromSafety;
  ASSERT_EQ(safety->QueryInterface(IID_IUnknown, fromSafety.out()), S_OK);
  EXPECT_EQ(fromSafety.get(), unknown.get()) << "one identity";
  void* out = &out;
  EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->QueryInterface(IID_ITypeInfo, &out), E_NOINTERFACE);
}

TEST_F(ControladorObject, EarlyBoundCallsNeedNoRegistration) {
  tree_.write("presente.txt", "x");
  OwnedBstr present(OLESTR("C:\\presente.txt"));
  OwnedBstr absent(OLESTR("C:/ausente.txt"));
  EXPECT_EQ(object->existeArquivo(present.get()), 0);
  EXPECT_EQ(object->existeArquivo(absent.get()), 1);
  EXPECT_FALSE(classesKeyExists(classKey()));
}

TEST_F(ControladorObject, CountsOneTypeInformation) {
  UINT count = 0;
  EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(object->GetTypeInfoCount(nullptr), E_POINTER);
  EXPECT_EQ(object->GetTypeInfo(0, 0, nullptr), E_POINTER);
}

TEST_F(ControladorObject, LateBindingFailsUntilRegisteredThenWorks) {
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(object->GetTypeInfo(0, 0, info.put()), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(info.get(), nullptr);
  HRESULT hr = S_OK;
  idOf(OLESTR("existeArquivo"), &hr);
  EXPECT_EQ(hr, TYPE_E_LIBNOTREGISTERED);
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(invoke(0x60020002, OLESTR("C:/x"), &result), TYPE_E_LIBNOTREGISTERED);

  ASSERT_EQ(DllRegisterServer(), S_OK);
  ASSERT_EQ(object->GetTypeInfo(0, 0, info.put()), S_OK);
  ComPtr<ITypeInfo> again;
  ASSERT_EQ(object->GetTypeInfo(5, 0, again.put()), S_OK);
  EXPECT_EQ(info.get(), again.get()) << "every index gives the interface's type information";
  BSTR name = nullptr;
  ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(narrow(name), "IControlador");
  SysFreeString(name);
}

TEST_F(ControladorObject, FindsNamesExactlyOrWithoutRegardToCase) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  HRESULT hr = E_FAIL;
  EXPECT_EQ(idOf(OLESTR("existeArquivo"), &hr), 0x60020002);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(idOf(OLESTR("EXISTEARQUIVO"), &hr), 0x60020002);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(idOf(OLESTR("existe"), &hr), DISPID_UNKNOWN);
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(idOf(OLESTR("existeArquivoX"), &hr), DISPID_UNKNOWN);
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
}

TEST_F(ControladorObject, ParameterNamesAfterACachedMemberNameAreLookedUpToo) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  OLECHAR member[] = OLESTR("geraArquivoUpload");
  OLECHAR parameter[] = OLESTR("lIndice");
  LPOLESTR names[] = {member, parameter};
  DISPID ids[2] = {};
  ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 2, 0, ids), S_OK);
  EXPECT_EQ(ids[0], 0x60020004);
  EXPECT_EQ(ids[1], 3);
}

TEST_F(ControladorObject, InvokeGivesTheMethodsOwnResult) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  tree_.write("presente.txt", "x");
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(invoke(0x60020002, OLESTR("C:/presente.txt"), &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 0);
  ASSERT_EQ(invoke(0x60020002, OLESTR("C:/ausente.txt"), &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 1) << "a missing file is a result, not a failure";
  ASSERT_EQ(invoke(0x60020005, OLESTR("C:/raiz"), &result), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(result.bstrVal, nullptr) << "nothing found is a null string";
  EXPECT_EQ(invoke(0x60020007, OLESTR("C:/raiz"), &result), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ControladorObject, SafetyOptionsAreRecordedAndReported) {
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(object->QueryInterface(IID_IObjectSafety, safety.out()), S_OK);
  DWORD supported = 7, enabled = 7;
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 1u);
  EXPECT_EQ(enabled, 0u) << "0 at creation";
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x2, 0x2), E_FAIL);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x1, 0x1), S_OK);
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 1u);
  EXPECT_EQ(enabled, 1u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x1, 0x0), S_OK);
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(kIidIControlador, &supported, &enabled), S_OK);
  EXPECT_EQ(enabled, 0u);
}

TEST_F(ControladorObject, SafetyOptionsOnlyForAnsweredInterfaces) {
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(object->QueryInterface(IID_IObjectSafety, safety.out()), S_OK);
  DWORD supported = 7, enabled = 7;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(supported, 0u);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 0x1, 0x1), E_NOINTERFACE);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr), E_POINTER);
}

// An outer object that aggregates Controlador and exposes its interfaces.
class Outer final : public IUnknown {
 public:
  LONG refs = 1;
  IUnknown* inner = nullptr;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner->QueryInterface(riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
};

using Aggregation = ComTest;

TEST_F(Aggregation, TheInnerObjectDelegatesToTheOuterOne) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
  Outer outer;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
            S_OK);
  EXPECT_EQ(outer.refs, 1) << "making the inner object does not count on the outer one";

  IControlador* controlador = nullptr;
  ASSERT_EQ(outer.inner->QueryInterface(kIidIControlador, reinterpret_cast<void**>(&controlador)),
            S_OK);
  EXPECT_EQ(outer.refs, 2) << "an interface of the inner object counts on the outer one";
  IUnknown* identity = nullptr;
  ASSERT_EQ(controlador->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer) << "its QueryInterface is the outer object's";
  identity->Release();
  controlador->Release();
  EXPECT_EQ(outer.refs, 1);

  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(outer.inner->Release(), 0u);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "the factory is still held";
}

TEST_F(Aggregation, OnlyIUnknownMayBeAskedForWithAnOuterObject) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
  Outer outer;
  void* out = &out;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IDispatch, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(outer.refs, 1);
}

}  // namespace
}  // namespace torvex::testing
