// The site lock: the URL matcher, the allow list as the administrator sets
// it, and the object refusing a browser's page that is not on it while every
// other host calls it as before.
#include "component/allowed_sites.h"
#include "component/icontrolador.h"
#include "component/interface_description.h"
#include "platform/platform.h"
#include "tests/component_com/com_fixture.h"
#include "tests/support/stub_site.h"
#include "tests/support/windows_limits.h"

namespace torvex::testing {
namespace {

struct MatchCase {
  const char* url;
  const char* list;
  bool allowed;
};

// clang-format off
const MatchCase kMatches[] = {
  {"https://troca.example.com/cliente/index.html", "https://troca.example.com", true},
  {"https://troca.example.com", "https://troca.example.com/", true},
  {"https://TROCA.Example.COM/x", "https://troca.example.com", true},
  {"HTTPS://troca.example.com/x", "troca.example.com", true},
  {"https://troca.example.com:443/x", "https://troca.example.com", true},
  {"https://troca.example.com/x", "https://troca.example.com:443", true},
  {"https://troca.example.com:8443/x", "https://troca.example.com", false},
  {"https://troca.example.com/x", "https://troca.example.com:8443", false},
  {"https://troca.example.com:8443/x", "https://troca.example.com:8443", true},
  {"http://troca.example.com/x", "https://troca.example.com", false},
  {"http://troca.example.com/x", "troca.example.com", false},
  {"http://troca.example.com/x", "http://troca.example.com", true},
  {"http://troca.example.com:80/x", "http://troca.example.com", true},
  {"https://troca.example.com/x", "http://troca.example.com", false},
  {"https://outra.example.com/x", "https://troca.example.com", false},
  {"https://troca.example.com.evil.test/x", "https://troca.example.com", false},
  {"https://evil.test/troca.example.com", "https://troca.example.com", false},
  {"https://troca.example.com@evil.test/x", "https://troca.example.com", false},
  {"https://evil.test\\@troca.example.com/x", "https://troca.example.com", false},
  {"https://evil.test?@troca.example.com/x", "https://troca.example.com", false},
  {"https://evil.test#@troca.example.com", "https://troca.example.com", false},
  {"https://user:pw@troca.example.com/x", "https://troca.example.com", true},
  {"https://troca.example.com./x", "https://troca.example.com", false},
  {"https://troca.example.com\x7F" "evil/x", "https://troca.example.com", false},
  {"https://troca%2eexample.com/x", "https://troca.example.com", false},
  {"https://troca.example.com:99999/x", "https://troca.example.com", false},
  {"https://troca.example.com:/x", "https://troca.example.com", true},
  {"https://troca.example.com:44a/x", "https://troca.example.com", false},
  {"https:troca.example.com/x", "https://troca.example.com", false},
  {"file://troca.example.com/x", "https://troca.example.com", false},
  {"file:///C:/pagina.html", "file:///C:/pagina.html", false},
  {"about:blank", "about:blank", false},
  {"", "https://troca.example.com", false},
  {"https:///x", "https://troca.example.com", false},
  {"https://[2001:db8::1]/x", "https://[2001:DB8::1]", true},
  {"https://[2001:db8::1]:8443/x", "https://[2001:db8::1]", false},
  {"https://10.0.0.5/x", "https://10.0.0.5", true},
  {"https://b.example.com/x", "https://a.example.com;https://b.example.com", true},
  {"https://b.example.com/x", "https://a.example.com, https://b.example.com", true},
  {"https://b.example.com/x", " https://a.example.com\thttps://b.example.com ", true},
  {"https://troca.example.com/x", "https://troca.example.com/cliente", false},
  {"https://troca.example.com/x", "https://troca.example.com?x", false},
  {"https://troca.example.com/x", "https://u@troca.example.com", false},
  {"https://troca.example.com/x", "*.example.com", false},
  {"https://troca.example.com/x", "", false},
  {"https://troca.example.com/x", " ; , ", false},
};
// clang-format on

TEST(SiteMatcher, AllowsExactlyTheOriginsOfTheList) {
  for (const MatchCase& c : kMatches) {
    EXPECT_EQ(siteAllowed(c.url, c.list), c.allowed) << c.url << " against \"" << c.list << '"';
  }
}

TEST(SiteMatcher, NamesTheDefaultPortOfEachScheme) {
  EXPECT_EQ(originOfUrl("https://a.example.com/"), (Origin{"https", "a.example.com", 443}));
  EXPECT_EQ(originOfUrl("http://a.example.com/"), (Origin{"http", "a.example.com", 80}));
  EXPECT_EQ(originOfEntry("a.example.com:8443"), (Origin{"https", "a.example.com", 8443}));
  EXPECT_EQ(originOfEntry("ftp://a.example.com"), std::nullopt);
}

// The list through the registry: on POSIX the back end's (TORVEX_REGISTRY, a
// file of the test's own), on Windows the machine's.
class AllowedSitesList : public ComTest {
 protected:
  void set(const char* key, const std::string& value) {
    ASSERT_TRUE(platform().registrySetValue(RegistryHive::LocalMachine, key, kAllowedSitesValue,
                                            value));
  }
};

TEST_F(AllowedSitesList, IsNothingWhenNeitherKeyHoldsIt) {
  EXPECT_EQ(allowedSitesList(), std::nullopt);
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::LocalMachine, kAllowedSitesPolicyKey));
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::LocalMachine, kAllowedSitesKey));
  EXPECT_EQ(allowedSitesList(), std::nullopt) << "keys without the value";
}

TEST_F(AllowedSitesList, ComesFromTheInstallerKeyWithoutAPolicy) {
  set(kAllowedSitesKey, "https://troca.example.com");
  EXPECT_EQ(allowedSitesList(), "https://troca.example.com");
  if (!kWin32Surroundings) {  // the POSIX back end's file names the hive as Windows does
    EXPECT_NE(registryText().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVEX]"), std::string::npos);
  }
}

TEST_F(AllowedSitesList, ThePolicyWinsEvenWhenEmpty) {
  set(kAllowedSitesKey, "https://troca.example.com");
  set(kAllowedSitesPolicyKey, "https://gpo.example.com");
  EXPECT_EQ(allowedSitesList(), "https://gpo.example.com");
  set(kAllowedSitesPolicyKey, "");
  EXPECT_EQ(allowedSitesList(), "") << "an empty policy allows no site";
}

TEST_F(AllowedSitesList, AnUnreadablePolicyIsNoListNotTheInstallersList) {
  set(kAllowedSitesKey, "https://troca.example.com");
  set(kAllowedSitesPolicyKey, "https://" + std::string(300, 'a') + ".example.com");
  EXPECT_EQ(allowedSitesList(), std::nullopt);
}

// The object as a browser hosts it: a site, the untrusted-caller option, and
// late-bound calls.
class SiteLock : public ComTest {
 protected:
  void SetUp() override {
    ComTest::SetUp();
    ASSERT_EQ(DllRegisterServer(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(kClsidControlador, IID_IClassFactory, factory.out()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidIControlador, object.out()), S_OK);
    tree_.write("documento.txt", "guardado");
  }
  void TearDown() override {
    object.reset();
    ComTest::TearDown();
  }

  void allow(const char* list) {
    ASSERT_TRUE(platform().registrySetValue(RegistryHive::LocalMachine, kAllowedSitesKey,
                                            kAllowedSitesValue, list));
  }
  HRESULT setSite(IUnknown* site) {
    ComPtr<IObjectWithSite> withSite;
    const HRESULT hr = object->QueryInterface(IID_IObjectWithSite, withSite.out());
    return FAILED(hr) ? hr : withSite->SetSite(site);
  }
  HRESULT untrustedCaller(DWORD enabled) {
    ComPtr<IObjectSafety> safety;
    const HRESULT hr = object->QueryInterface(IID_IObjectSafety, safety.out());
    return FAILED(hr) ? hr
                      : safety->SetInterfaceSafetyOptions(IID_IDispatch,
                                                          INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                          enabled);
  }
  // deletaArquivo of C:/documento.txt, late-bound; the result's type and
  // value go to *result.
  HRESULT deleteDocument(VARIANT* result) {
    OwnedBstr path(OLESTR("C:/documento.txt"));
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = path.get();
    DISPPARAMS dp = {&arg, nullptr, 1, 0};
    VariantInit(result);
    return object->Invoke(0x60020003, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, result,
                          nullptr, nullptr);
  }
  void expectRefused(const char* why) {
    VARIANT result;
    EXPECT_EQ(deleteDocument(&result), E_ACCESSDENIED) << why;
    EXPECT_EQ(result.vt, VT_EMPTY) << why << ": no method ran";
    EXPECT_TRUE(tree_.exists("documento.txt")) << why << ": nothing on disk touched";
  }
  void expectServed(const char* why) {
    VARIANT result;
    EXPECT_EQ(deleteDocument(&result), S_OK) << why;
    EXPECT_EQ(result.vt, VT_I4) << why;
    EXPECT_EQ(result.lVal, 0) << why;
    EXPECT_FALSE(tree_.exists("documento.txt")) << why << ": the method ran";
  }

  ComPtr<IControlador> object;
};

TEST_F(SiteLock, AScriptHostThatAsksForNothingIsNotLocked) {
  expectServed("no safety option, no site, no list");
}

TEST_F(SiteLock, ASiteAloneDoesNotLock) {
  StubSite site(StubSite::Route::Moniker, "https://evil.test/");
  ASSERT_EQ(setSite(site.unknown()), S_OK);
  expectServed("a site but no untrusted-caller option");
  ASSERT_EQ(setSite(nullptr), S_OK);
}

TEST_F(SiteLock, AnAllowedPageCallsThroughTheDocumentMoniker) {
  allow("https://troca.example.com");
  StubSite site(StubSite::Route::Moniker, "https://troca.example.com/cliente/envio.html");
  ASSERT_EQ(setSite(site.unknown()), S_OK);
  ASSERT_EQ(untrustedCaller(INTERFACESAFE_FOR_UNTRUSTED_CALLER), S_OK);
  expectServed("the allowed site");
  ASSERT_EQ(setSite(nullptr), S_OK);
}

TEST_F(SiteLock, AnAllowedPageCallsThroughTheBrowsersLocation) {
  allow("https://troca.example.com");
  StubSite site(StubSite::Route::Browser, "https://troca.example.com/cliente/envio.html");
  ASSERT_EQ(setSite(site.unknown()), S_OK);
  ASSERT_EQ(untrustedCaller(INTERFACESAFE_FOR_UNTRUSTED_CALLER), S_OK);
  expectServed("the allowed site, from LocationURL");
  ASSERT_EQ(setSite(nullptr), S_OK);
}

TEST_F(SiteLock, EveryOtherPageIsRefusedBeforeTheMethod) {
  allow("https://troca.example.com");
  ASSERT_EQ(untrustedCaller(INTERFACESAFE_FOR_UNTRUSTED_CALLER), S_OK);
  expectRefused("no site");
  StubSite silent(StubSite::Route::Neither, "https://troca.example.com/");
  ASSERT_EQ(setSite(silent.unknown()), S_OK);
  expectRefused("a site that names no page");
  const char* others[] = {"https://evil.test/", "http://troca.example.com/",
                          "https://troca.example.com:8443/", "https://troca.example.com@evil.test/",
                          "file:///C:/pagina.html"};
  for (const char* url : others) {
    StubSite moniker(StubSite::Route::Moniker, url);
    ASSERT_EQ(setSite(moniker.unknown()), S_OK);
    expectRefused(url);
    StubSite browser(StubSite::Route::Browser, url);
    ASSERT_EQ(setSite(browser.unknown()), S_OK);
    expectRefused(url);
    ASSERT_EQ(setSite(nullptr), S_OK);
  }
}

TEST_F(SiteLock, NoListRefusesEveryPage) {
  StubSite site(StubSite::Route::Moniker, "https://troca.example.com/");
  ASSERT_EQ(setSite(site.unknown()), S_OK);
  ASSERT_EQ(untrustedCaller(INTERFACESAFE_FOR_UNTRUSTED_CALLER), S_OK);
  expectRefused("no list");
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::LocalMachine, kAllowedSitesPolicyKey,
                                          kAllowedSitesValue, ""));
  allow("https://troca.example.com");
  expectRefused("an empty policy over the installer's list");
  ASSERT_EQ(setSite(nullptr), S_OK);
}

TEST_F(SiteLock, ClearingTheOptionUnlocks) {
  StubSite site(StubSite::Route::Moniker, "https://evil.test/");
  ASSERT_EQ(setSite(site.unknown()), S_OK);
  ASSERT_EQ(untrustedCaller(INTERFACESAFE_FOR_UNTRUSTED_CALLER), S_OK);
  expectRefused("locked");
  ASSERT_EQ(untrustedCaller(0), S_OK);
  expectServed("unlocked");
  ASSERT_EQ(setSite(nullptr), S_OK);
}

TEST_F(SiteLock, KeepsItsSiteUntilToldOrReleased) {
  ComPtr<IObjectWithSite> withSite;
  ASSERT_EQ(object->QueryInterface(IID_IObjectWithSite, withSite.out()), S_OK);
  void* out = &out;
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, nullptr), E_POINTER);

  StubSite site(StubSite::Route::Moniker, "https://troca.example.com/");
  ASSERT_EQ(withSite->SetSite(site.unknown()), S_OK);
  EXPECT_EQ(site.references(), 1) << "the object holds its site";
  ComPtr<IServiceProvider> services;
  ASSERT_EQ(withSite->GetSite(IID_IServiceProvider, services.out()), S_OK);
  EXPECT_EQ(services.get(), static_cast<IServiceProvider*>(&site));
  services.reset();
  EXPECT_EQ(withSite->GetSite(IID_ITypeInfo, &out), E_NOINTERFACE);

  StubSite next(StubSite::Route::Moniker, "https://troca.example.com/");
  ASSERT_EQ(withSite->SetSite(next.unknown()), S_OK);
  EXPECT_EQ(site.references(), 0) << "a new site releases the old one";
  withSite.reset();
  object.reset();
  EXPECT_EQ(next.references(), 0) << "the object's end releases its site";
}

}  // namespace
}  // namespace torvex::testing
