// The interface table is the one source of truth: the committed IDL must be
// what it generates, and the table must keep the DISPIDs and slot order
// that hosts already depend on.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "component/guid_text.h"
#include "component/interface_description.h"
#include "component/interface_idl.h"

namespace torvex {
namespace {

TEST(InterfaceTable, CommittedIdlIsTheGeneratedOne) {
  std::ifstream file(TORVEX_SOURCE_DIR "/component/torvex.idl", std::ios::binary);
  ASSERT_TRUE(file) << "component/torvex.idl is missing";
  std::stringstream committed;
  committed << file.rdbuf();
  EXPECT_EQ(committed.str(), idlText(kTorvexTypeLib))
      << "regenerate it: torvex_write_idl > component/torvex.idl";
}

TEST(InterfaceTable, SevenMethodsInSlotOrderWithConsecutiveDispids) {
  const char* const order[] = {"criaInfraEstrutura",    "recuperaArquivoUpload",
                               "existeArquivo",         "deletaArquivo",
                               "geraArquivoUpload",     "recuperaControleDownload",
                               "disponibilizaArquivos"};
  ASSERT_EQ(kTorvexTypeLib.functions.size(), 7u);
  for (size_t i = 0; i < 7; ++i) {
    EXPECT_STREQ(kTorvexTypeLib.functions[i].name, order[i]);
    EXPECT_EQ(kTorvexTypeLib.functions[i].id, static_cast<DISPID>(0x60020000 + i));
  }
}

TEST(InterfaceTable, IdlDeclaresTheLibraryClassAndInterface) {
  std::string idl = idlText(kTorvexTypeLib);
  EXPECT_NE(idl.find("interface IControlador : IDispatch"), std::string::npos);
  EXPECT_NE(idl.find("library TORVEXLib"), std::string::npos);
  EXPECT_NE(idl.find("helpstring(\"TORVEX 1.0 Type Library\")"), std::string::npos);
  EXPECT_NE(idl.find("importlib(\"stdole2.tlb\")"), std::string::npos);
  EXPECT_NE(idl.find("coclass Controlador"), std::string::npos);
  EXPECT_NE(idl.find("[id(0x60020001), helpstring(\"Varre diretorio outtraywork procurando "
                     "arquivos .ARJ\")] BSTR recuperaArquivoUpload(BSTR bstrPathRaiz, long "
                     "lIndice);"),
            std::string::npos);
  EXPECT_NE(idl.find("uuid(" + guidText(kClsidControlador) + ")"), std::string::npos);
  EXPECT_EQ(idl.find("dual"), std::string::npos);
  EXPECT_EQ(idl.find("oleautomation"), std::string::npos);
}

TEST(InterfaceTable, GuidsAreDistinctAndWrittenInUpperCase) {
  EXPECT_NE(kLibidTorvexLib, kClsidControlador);
  EXPECT_NE(kClsidControlador, kIidIControlador);
  EXPECT_EQ(guidTextBraced(kClsidControlador), "{1E7EDBF8-0218-45BC-981C-D5599EF3BA47}");
}

}  // namespace
}  // namespace torvex
