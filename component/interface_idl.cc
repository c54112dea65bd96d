#include "component/interface_idl.h"

#include <cstdio>

#include "component/guid_text.h"

namespace torvex {

namespace {

const char* idlType(VARTYPE vt) { return vt == VT_BSTR ? "BSTR" : "long"; }

std::string hexId(DISPID id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(id));
  return text;
}

std::string method(const FunctionDescription& f) {
  std::string line = "\t[id(" + hexId(f.id) + "), helpstring(\"" + f.doc + "\")] ";
  line += idlType(f.result);
  line += " ";
  line += f.name;
  line += "(";
  const char* separator = "";
  for (const ParamDescription& p : f.params) {
    line += separator;
    line += idlType(p.type);
    line += " ";
    line += p.name;
    separator = ", ";
  }
  return line + ");\n";
}

}  // namespace

std::string idlText(const TypeLibDescription& lib) {
  std::string idl =
      "// The type library of the controller component. Written by idlText() from the\n"
      "// interface table in interface_description.cc: change the table, not this file.\n"
      "import \"oaidl.idl\";\n"
      "import \"ocidl.idl\";\n\n";
  idl += "[\n\tobject,\n\tuuid(" + guidText(lib.iid) + "),\n\thelpstring(\"" + lib.interfaceDoc +
         "\"),\n\tpointer_default(unique)\n]\n";
  idl += std::string("interface ") + lib.interfaceName + " : IDispatch\n{\n";
  for (const FunctionDescription& f : lib.functions) idl += method(f);
  idl += "};\n\n";
  idl += "[\n\tuuid(" + guidText(lib.libid) + "),\n\tversion(" + std::to_string(lib.major) + "." +
         std::to_string(lib.minor) + "),\n\thelpstring(\"" + lib.libDoc + "\")\n]\n";
  idl += std::string("library ") + lib.libName + "\n{\n\timportlib(\"stdole2.tlb\");\n\n";
  idl += "\t[\n\t\tuuid(" + guidText(lib.clsid) + "),\n\t\thelpstring(\"" + lib.classDoc +
         "\")\n\t]\n";
  idl += std::string("\tcoclass ") + lib.className + "\n\t{\n\t\t[default] interface " +
         lib.interfaceName + ";\n\t};\n};\n";
  return idl;
}

}  // namespace torvex
