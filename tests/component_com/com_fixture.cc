#include "tests/component_com/com_fixture.h"

#include <cstdlib>

#include "component/allowed_sites.h"
#include "component/guid_text.h"
#include "component/interface_description.h"
#include "platform/platform.h"
#ifdef _WIN32
#include "tests/support/wine.h"
#else
#include "platform/platform_posix.h"
#endif

namespace torvex::testing {

OleText wide(const std::string& ascii) { return OleText(ascii.begin(), ascii.end()); }

std::string narrow(BSTR s) {
  std::string text;
  for (UINT i = 0; i < SysStringLen(s); ++i) text += static_cast<char>(s[i]);
  return text;
}

#ifdef _WIN32
namespace {

// Every key a test may leave: the server's, a stranger class some tests
// make, and the allow list's.
void removeTestKeys() {
  Platform& p = platform();
  for (const std::string& key :
       {std::string("TORVEX.Controlador"), std::string("TORVEX.Controlador.1"), classKey(),
        std::string("CLSID\\{OtherClass}"), "TypeLib\\" + guidTextBraced(kLibidTorvexLib)}) {
    p.registryDeleteTree(RegistryHive::ClassesRoot, key.c_str());
  }
  for (const char* key : {kAllowedSitesKey, kAllowedSitesPolicyKey}) {
    p.registryDeleteTree(RegistryHive::LocalMachine, key);
  }
}

}  // namespace
#endif

void ComTest::SetUp() {
#ifdef _WIN32
  if (!underWine()) {
    GTEST_SKIP() << "the test writes the server's keys and the allow list into the machine's "
                    "HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE; it runs in Wine's disposable prefix "
                    "only";
  }
  removeTestKeys();
  // Creating a class by its ProgID, as late-bound hosts do, needs COM started.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
#else
  ::setenv("TORVEX_REGISTRY", tree_.path("registry.reg").c_str(), 1);
  reloadEnvironment();
#endif
  ownsRegistry_ = true;
  serverModule().unload();
  ASSERT_EQ(DllCanUnloadNow(), S_OK) << "an earlier test left a reference";
}

void ComTest::TearDown() {
  if (!ownsRegistry_) return;
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "the test left a reference";
  serverModule().unload();
#ifdef _WIN32
  CoUninitialize();
  removeTestKeys();
#else
  ::unsetenv("TORVEX_REGISTRY");
  reloadEnvironment();
#endif
}

std::string ComTest::classesValue(const std::string& key, const char* value) {
  std::string data;
  return platform().registryRead(RegistryHive::ClassesRoot, key.c_str(), value, data) ? data : "";
}

bool ComTest::classesKeyExists(const std::string& key) {
  return platform().registryKeyExists(RegistryHive::ClassesRoot, key.c_str());
}

std::string ComTest::thisModule() { return platform().executablePath(); }

std::string classKey() { return "CLSID\\" + guidTextBraced(kClsidControlador); }

}  // namespace torvex::testing
