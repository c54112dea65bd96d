// Prints the installer's registry data as a WiX include: the entries that
// DllRegisterServer writes (the registration table) and those that
// RegisterTypeLib adds for the type library (the interface table), so that
// the MSI and regsvr32 leave the same registry. The build runs it:
//   torvex_write_wxs > registry.wxi
// windows/installer/torvex.wxs includes the result inside the component of
// each architecture's torvex.dll, after defining $(var.TorvexDll) (the File
// Id), $(var.TypeLibPlatform) ("win32" or "win64", the type library's system
// kind) and $(var.TypeLibHelpDir) (a Directory Id). On 64-bit Windows both
// registry views share HKEY_CLASSES_ROOT\TypeLib, so both architectures write
// the same help folder there.
//
// Rows whose Name is "+" create a key that has no value; a "-" row deletes
// its key with everything beneath it at uninstall, as DllUnregisterServer
// and UnRegisterTypeLib do.
//
// wixl has no element for the RemoveRegistry table, in which the installer
// deletes the keys that DllRegisterServer makes afresh (nothing stale
// survives beneath them); for that table
//   torvex_write_wxs remove-registry COMPONENT...
// prints the SQL queries (one a line) that msibuild adds to the package, the
// rows belonging to each named component; and
//   torvex_write_wxs clsid
// prints the class's CLSID in braces, for the installer's kill bit.
#include <cstdio>
#include <string>

#include "component/guid_text.h"
#include "component/interface_description.h"
#include "component/registration.h"

namespace {

std::string xmlAttribute(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

void row(const std::string& key, const std::string& name, const std::string& value) {
  std::printf("  <RegistryValue Root=\"HKCR\" Key=\"%s\"", xmlAttribute(key).c_str());
  if (!name.empty()) std::printf(" Name=\"%s\"", xmlAttribute(name).c_str());
  std::printf(" Type=\"string\" Value=\"%s\"/>\n", xmlAttribute(value).c_str());
}

// The RemoveRegistry table: Name "-" deletes the key with its subtree when
// the component is installed, before the Registry table's rows are written.
void removeRegistryQueries(int count, char** components) {
  std::printf("CREATE TABLE `RemoveRegistry` (`RemoveRegistry` CHAR(72) NOT NULL, "
              "`Root` SHORT NOT NULL, `Key` CHAR(255) NOT NULL LOCALIZABLE, "
              "`Name` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL "
              "PRIMARY KEY `RemoveRegistry`)\n");
  int row = 0;
  for (const torvex::EntradaRegistro& e : torvex::entradasRegistro("")) {
    if (!e.refeitaAoRegistrar) continue;
    for (int i = 0; i < count; ++i) {
      std::printf("INSERT INTO `RemoveRegistry` (`RemoveRegistry`, `Root`, `Key`, `Name`, "
                  "`Component_`) VALUES ('fresh%d', 0, '%s', '-', '%s')\n",
                  ++row, e.chave.c_str(), components[i]);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "remove-registry") {
    removeRegistryQueries(argc - 2, argv + 2);
    return 0;
  }
  if (argc > 1 && std::string(argv[1]) == "clsid") {
    std::printf("%s\n", torvex::guidTextBraced(torvex::kClsidControlador).c_str());
    return 0;
  }
  const std::string module = "[#$(var.TorvexDll)]";
  std::printf("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
              "<!-- Made by torvex_write_wxs from the registration and interface tables. -->\n"
              "<Include>\n");
  for (const torvex::EntradaRegistro& e : torvex::entradasRegistro(module)) {
    if (e.dado) row(e.chave, e.valor, *e.dado);
    else row(e.chave, "+", "");
    if (e.removidaComSubchaves) row(e.chave, "-", "");
  }

  const torvex::TypeLibDescription& lib = torvex::kTorvexTypeLib;
  const std::string libKey = "TypeLib\\" + torvex::guidTextBraced(lib.libid);
  const std::string versionKey =
      libKey + "\\" + std::to_string(lib.major) + "." + std::to_string(lib.minor);
  row(versionKey, "", lib.libDoc);
  row(versionKey + "\\0\\$(var.TypeLibPlatform)", "", module);  // locale 0: the library's
  row(versionKey + "\\FLAGS", "", "0");
  row(versionKey + "\\HELPDIR", "", "[$(var.TypeLibHelpDir)]");
  row(libKey, "-", "");
  std::printf("</Include>\n");
  return 0;
}
