#include "tests/component_com/com_fixture.h"

#include <cstdlib>

#include "component/guid_text.h"
#include "component/interface_description.h"
#include "platform/platform.h"
#include "platform/platform.h"
#include "platform/platform_posix.h"

namespace torvex::testing {

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string narrow(BSTR s) {
  std::string text;
  for (UINT i = 0; i < SysStringLen(s); ++i) text += static_cast<char>(s[i]);
  return text;
}

void ComTest::SetUp() {
  ::setenv("TORVEX_REGISTRY", tree_.path("registry.reg").c_str(), 1);
  reloadEnvironment();
  serverModule().unload();
  ASSERT_EQ(DllCanUnloadNow(), S_OK) << "an earlier test left a reference";
}

void ComTest::TearDown() {
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "the test left a reference";
  serverModule().unload();
  ::unsetenv("TORVEX_REGISTRY");
  reloadEnvironment();
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
