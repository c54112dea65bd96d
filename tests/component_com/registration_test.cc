// Registering and unregistering the server: the entries, their ForceRemove
// and NoRemove behaviour, undo on failure, the type library, and creating the
// class the way a late-bound host does once it is registered.
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "component/guid_text.h"
#include "component/icontrolador.h"
#include "component/interface_description.h"
#include "component/registration.h"
#include "platform/platform.h"
#include "platform/platform.h"
#include "com/com.h"
#include "tests/component_com/com_fixture.h"
#include "tests/support/windows_limits.h"
#include "platform/scoped_platform.h"

namespace torvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRegistryFileOnly =
    "the test compares the POSIX back end's registry file as text; Windows' registry is no file "
    "to read back";

class Registration : public ComTest {
 protected:
  // The registry file's keys with their values, whatever their order in the file.
  std::set<std::string> registrySections() const {
    std::set<std::string> sections;
    std::string text = registryText();
    for (size_t at = text.find('['); at != std::string::npos;) {
      size_t next = text.find("\r\n[", at);
      std::string section = text.substr(at, next == std::string::npos ? next : next - at);
      while (!section.empty() && (section.back() == '\r' || section.back() == '\n'))
        section.pop_back();
      sections.insert(section);
      at = next == std::string::npos ? next : next + 2;
    }
    return sections;
  }
};

const std::string kLibKey = "TypeLib\\" + guidTextBraced(kLibidTorvexLib) + "\\1.0";
const std::string kInterfaceKey = "Interface\\" + guidTextBraced(kIidIControlador);

TEST_F(Registration, WritesEveryEntry) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::string clsid = guidTextBraced(kClsidControlador);
  EXPECT_EQ(classesValue("TORVEX.Controlador.1"), "Controlador Class");
  EXPECT_EQ(classesValue("TORVEX.Controlador.1\\CLSID"), clsid);
  EXPECT_EQ(classesValue("TORVEX.Controlador"), "Controlador Class");
  EXPECT_EQ(classesValue("TORVEX.Controlador\\CLSID"), clsid);
  EXPECT_EQ(classesValue("TORVEX.Controlador\\CurVer"), "TORVEX.Controlador.1");
  EXPECT_EQ(classesValue(classKey()), "Controlador Class");
  EXPECT_EQ(classesValue(classKey() + "\\ProgID"), "TORVEX.Controlador.1");
  EXPECT_EQ(classesValue(classKey() + "\\VersionIndependentProgID"), "TORVEX.Controlador");
  EXPECT_TRUE(classesKeyExists(classKey() + "\\Programmable"));
  EXPECT_EQ(classesValue(classKey() + "\\InprocServer32"), thisModule());
  EXPECT_EQ(classesValue(classKey() + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(classesValue(classKey() + "\\TypeLib"), guidTextBraced(kLibidTorvexLib));
  EXPECT_EQ(classesValue(kLibKey), "TORVEX 1.0 Type Library");
  EXPECT_EQ(classesValue(kLibKey + "\\0\\" + typeLibPlatform()), thisModule());
  EXPECT_FALSE(classesKeyExists(kInterfaceKey))
      << "RegisterTypeLib gives an Interface key to dispinterfaces and to dual and oleautomation "
         "interfaces; IControlador only derives from IDispatch";
}

TEST_F(Registration, TwiceIsLikeOnceAndNothingStaleSurvives) {
  if (kWin32Surroundings) GTEST_SKIP() << kRegistryFileOnly;
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::set<std::string> once = registrySections();
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::ClassesRoot,
                                           (classKey() + "\\Stale\\Deeper").c_str()));
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::ClassesRoot,
                                           (classKey() + "\\Programmable\\Stale").c_str()));
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::ClassesRoot, classKey().c_str(), "Stale",
                                          "x"));
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::ClassesRoot, "CLSID\\{OtherClass}"));
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_FALSE(classesKeyExists(classKey() + "\\Stale"));
  EXPECT_FALSE(classesKeyExists(classKey() + "\\Programmable\\Stale"));
  EXPECT_EQ(classesValue(classKey(), "Stale"), "");
  EXPECT_TRUE(classesKeyExists("CLSID\\{OtherClass}")) << "only our class key is made afresh";
  ASSERT_TRUE(platform().registryDeleteTree(RegistryHive::ClassesRoot, "CLSID\\{OtherClass}"));
  EXPECT_EQ(registrySections(), once);
}

// The installer writes entradasRegistro itself, after deleting the keys made
// afresh; the result must be what DllRegisterServer leaves, stale entries
// gone, and removing the keys it marks must leave what DllUnregisterServer
// leaves.
TEST_F(Registration, TheInstallerListWritesAndRemovesWhatRegistrationDoes) {
  if (kWin32Surroundings) GTEST_SKIP() << kRegistryFileOnly;
  const std::string path = "C:\\Program Files\\TORVEX\\torvex.dll";
  const RegistryHive hkcr = RegistryHive::ClassesRoot;
  ASSERT_EQ(registraEntradas(path), S_OK);
  const std::set<std::string> registered = registrySections();
  removeEntradas();
  const std::set<std::string> unregistered = registrySections();

  ASSERT_TRUE(platform().registryCreateKey(hkcr, (classKey() + "\\Stale").c_str()));
  const std::vector<EntradaRegistro> entradas = entradasRegistro(path);
  for (const EntradaRegistro& e : entradas) {
    if (e.refeitaAoRegistrar) {
      ASSERT_TRUE(platform().registryDeleteTree(hkcr, e.chave.c_str()));
    }
  }
  for (const EntradaRegistro& e : entradas) {
    ASSERT_TRUE(platform().registryCreateKey(hkcr, e.chave.c_str())) << e.chave;
    if (e.dado) {
      ASSERT_TRUE(platform().registrySetValue(
          hkcr, e.chave.c_str(), e.valor.empty() ? nullptr : e.valor.c_str(), *e.dado));
    }
  }
  EXPECT_EQ(registrySections(), registered);
  for (const EntradaRegistro& e : entradas) {
    if (e.removidaComSubchaves) {
      ASSERT_TRUE(platform().registryDeleteTree(hkcr, e.chave.c_str()));
    }
  }
  EXPECT_EQ(registrySections(), unregistered);
}

TEST_F(Registration, APathWithAQuoteIsStoredAsItIs) {
  const std::string path = "/opt/o'brien's tools/libtorvex.so";
  ASSERT_EQ(registraEntradas(path), S_OK);
  EXPECT_EQ(classesValue(classKey() + "\\InprocServer32"), path);
}

// Fails writing any value of one key, as a registry that refuses access would.
class RefusingRegistry : public ScopedPlatform {
 public:
  explicit RefusingRegistry(std::string refusedKeyPart)
      : refused_(std::move(refusedKeyPart)) {}
  bool registrySetValue(RegistryHive h, const char* k, const char* v,
                        const std::string& d) override {
    if (std::string(k).find(refused_) != std::string::npos) return false;
    return ForwardingPlatform::registrySetValue(h, k, v, d);
  }

 private:
  std::string refused_;
};

TEST_F(Registration, AFailedEntryUndoesTheOthers) {
  {
    RefusingRegistry refusing("InprocServer32");
    EXPECT_EQ(DllRegisterServer(), REGDB_E_WRITEREGDB);
  }
  EXPECT_FALSE(classesKeyExists("TORVEX.Controlador"));
  EXPECT_FALSE(classesKeyExists("TORVEX.Controlador.1"));
  EXPECT_FALSE(classesKeyExists(classKey()));
  EXPECT_FALSE(classesKeyExists(kLibKey)) << "the type library is not registered after a failure";
}

TEST_F(Registration, AModuleWithoutTypeLibraryFailsAndKeepsTheEntries) {
  ASSERT_EQ(registraEntradas("/nowhere/libtorvex.so"), S_OK);
  EXPECT_EQ(registraTypeLib("/nowhere/libtorvex.so"), TYPE_E_CANTLOADLIBRARY);
  EXPECT_TRUE(classesKeyExists(classKey()));
  EXPECT_FALSE(classesKeyExists(kLibKey));
}

TEST_F(Registration, TheTypeLibraryFileBesideTheModuleIsTheFallback) {
#ifdef _WIN32
  GTEST_SKIP() << "the test places a described type library at a POSIX path (embedTypeLib), "
                  "which the system's LoadTypeLib cannot read";
#else
  // Only the file name's extension is replaced, never a dot in a directory name.
  embedTypeLib("/opt/torvex.v2/libtorvex.tlb", &kTorvexTypeLib);
  ASSERT_EQ(registraTypeLib("/opt/torvex.v2/libtorvex"), S_OK);
  EXPECT_EQ(classesValue(kLibKey + "\\0\\win64"), "/opt/torvex.v2/libtorvex.tlb");
  EXPECT_EQ(classesValue(kLibKey + "\\HELPDIR"), "/opt/torvex.v2/");
  embedTypeLib("/opt/torvex.v2/libtorvex.so.tlb", &kTorvexTypeLib);
  ASSERT_EQ(registraTypeLib("/opt/torvex.v2/libtorvex.so.1"), S_OK);
  EXPECT_EQ(classesValue(kLibKey + "\\0\\win64"), "/opt/torvex.v2/libtorvex.so.tlb");
#endif
}

TEST_F(Registration, UnregisteringWhatWasNeverRegisteredSucceeds) {
  EXPECT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_FALSE(classesKeyExists(classKey()));
  EXPECT_FALSE(classesKeyExists("TORVEX.Controlador"));
}

TEST_F(Registration, UnregisteringRemovesAllButTheClassesKey) {
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::ClassesRoot, "CLSID\\{OtherClass}"));
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_FALSE(classesKeyExists("TORVEX.Controlador.1"));
  EXPECT_FALSE(classesKeyExists("TORVEX.Controlador"));
  EXPECT_FALSE(classesKeyExists(classKey()));
  EXPECT_FALSE(classesKeyExists(kLibKey));
  EXPECT_FALSE(classesKeyExists(kInterfaceKey));
  EXPECT_TRUE(classesKeyExists("CLSID"));
  EXPECT_TRUE(classesKeyExists("CLSID\\{OtherClass}"));
}

// The server library itself, loaded the way COM loads it.
class RegisteredLibrary : public ComTest {
 protected:
  HRESULT registerLibrary(const char* path = TORVEX_LIBRARY) {
    ModuleHandle* library = platform().loadModule(path);
    if (library == nullptr) return E_FAIL;
    auto entry = reinterpret_cast<HRESULT (*)()>(platform().moduleSymbol(library, "DllRegisterServer"));
    HRESULT hr = entry != nullptr ? entry() : E_FAIL;
    platform().unloadModule(library);
    return hr;
  }

  HRESULT create(const OLECHAR* progId, IDispatch** out) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(out));
  }
};

TEST_F(RegisteredLibrary, TheLibraryExportsOnlyTheFourEntries) {
  ModuleHandle* library = platform().loadModule(TORVEX_LIBRARY);
  ASSERT_NE(library, nullptr);
  for (const char* entry :
       {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"})
    EXPECT_NE(platform().moduleSymbol(library, entry), nullptr) << entry;
  EXPECT_EQ(platform().moduleSymbol(library, "_ZN6torvex12serverModuleEv"), nullptr);
  platform().unloadModule(library);
}

TEST_F(RegisteredLibrary, RegistersItsOwnRealPathEvenWithAQuoteInIt) {
  if (kNoSymbolicLinks) GTEST_SKIP() << kLinksNotMade;
  tree_.mkdir("o'brien's");
  const std::filesystem::path copy = tree_.path("o'brien's/libtorvex.so");
  std::filesystem::copy_file(TORVEX_LIBRARY, copy);
  std::filesystem::create_symlink(copy, tree_.path("link.so"));
  ASSERT_EQ(registerLibrary(tree_.path("link.so").string().c_str()), S_OK);
  const std::string real = std::filesystem::canonical(copy).string();
  EXPECT_EQ(classesValue(classKey() + "\\InprocServer32"), real);
  EXPECT_EQ(classesValue(kLibKey + "\\0\\" + typeLibPlatform()), real)
      << "its type library was found in it";
}

TEST_F(RegisteredLibrary, CreatedThroughEitherProgIdAndCalledLateBound) {
  ComPtr<IDispatch> object;
  EXPECT_EQ(create(OLESTR("TORVEX.Controlador"), object.put()), CO_E_CLASSSTRING);
  ASSERT_EQ(registerLibrary(), S_OK);
  EXPECT_EQ(fs::path(classesValue(classKey() + "\\InprocServer32")), fs::path(TORVEX_LIBRARY))
      << "the same path, whichever separators it has";
  tree_.write("presente.txt", "x");
  for (const OLECHAR* progId : {OLESTR("TORVEX.Controlador"), OLESTR("TORVEX.Controlador.1")}) {
    ASSERT_EQ(create(progId, object.put()), S_OK);
    OLECHAR name[] = OLESTR("ExisteArquivo");
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, 0x60020002);
    OwnedBstr path(OLESTR("C:/presente.txt"));
    VARIANT arg, result;
    VariantInit(&arg);
    VariantInit(&result);
    arg.vt = VT_BSTR;
    arg.bstrVal = path.get();
    DISPPARAMS dp = {&arg, nullptr, 1, 0};
    ASSERT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &dp, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 0);
  }
}

}  // namespace
}  // namespace torvex::testing
