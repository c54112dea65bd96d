// The server's class object and lock count: what keeps the library loaded
// and what does not.
#include <thread>

#include "component/interface_description.h"
#include "tests/component_com/com_fixture.h"

namespace torvex::testing {
namespace {

using ServerExports = ComTest;

const CLSID kForeign = {
    0x6A0B21C4, 0x55E1, 0x4F0C, {0x8B, 0x3A, 0x10, 0x2D, 0x4C, 0x5E, 0x6F, 0x70}};

TEST_F(ServerExports, ALiveObjectHoldsTheLibrary) {
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "directly after loading";
  ComPtr<IUnknown> object;
  {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidIControlador, object.out()), S_OK);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  object.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ServerExports, LockServerHoldsTheLibraryUntilUnlocked) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ServerExports, AHeldFactoryHoldsTheLibraryTheCachedOneDoesNot) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  factory.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "the class table's own reference does not count";
}

TEST_F(ServerExports, TheFactoryIsMadeOnceAndCached) {
  ComPtr<IClassFactory> first, second;
  ComPtr<IUnknown> asUnknown;
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, first.out()), S_OK);
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, second.out()), S_OK);
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IUnknown, asUnknown.out()), S_OK);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(static_cast<IUnknown*>(first.get()), asUnknown.get());
}

TEST_F(ServerExports, TwoThreadsAskingAtOnceGetTheSameFactory) {
  for (int round = 0; round < 20; ++round) {
    serverModule().unload();
    IClassFactory* got[2] = {};
    auto ask = [&](int i) {
      DllGetClassObject(kClsidControlador, IID_IClassFactory, reinterpret_cast<void**>(&got[i]));
    };
    std::thread first(ask, 0);
    std::thread second(ask, 1);
    first.join();
    second.join();
    ASSERT_NE(got[0], nullptr);
    EXPECT_EQ(got[0], got[1]);
    got[0]->Release();
    got[1]->Release();
  }
}

TEST_F(ServerExports, ForeignClassesAndInterfacesAreRefused) {
  void* out = &out;
  EXPECT_EQ(DllGetClassObject(kForeign, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  out = &out;
  EXPECT_EQ(DllGetClassObject(kClsidControlador, IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "a refused request holds nothing";
}

TEST_F(ServerExports, CreateInstanceChecksItsPointerAndTheInterface) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  void* out = &out;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  factory.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "the refused object was destroyed at once";
}

}  // namespace
}  // namespace torvex::testing
