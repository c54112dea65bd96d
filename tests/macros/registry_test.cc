// "&TELVORIN" against the back end's registry, loaded from a .reg file.
#include <cstdlib>
#include <string>

#include "platform/platform_posix.h"
#include "tests/macros/expander_environment.h"

namespace torvex::testing {
namespace {

class RegistroTest : public ExpansorTest {
 protected:
  RegistroTest() { plataforma.registroReal = true; }
  ~RegistroTest() override {
    unsetenv("TORVEX_REGISTRY");
    reloadEnvironment();
  }

  void carregaRegistro(const std::string& corpo) {
    arvore.write("registro.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + corpo);
    setenv("TORVEX_REGISTRY", arvore.path("registro.reg").c_str(), 1);
    reloadEnvironment();
  }
};

TEST_F(RegistroTest, ValueUnderLocalMachineNamesTheDirectory) {
  carregaRegistro(
      "[HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin]\r\n"
      "\"Telvorin\"=\"D:/Prog/\"\r\n");
  EXPECT_EQ(expande("&TELVORIN/LOG"), "D:/Prog/LOG");
  EXPECT_EQ(expande("/&TELVORIN/LOG"), "D:/Prog/LOG");
}

TEST_F(RegistroTest, TrailingBackslashStays) {
  carregaRegistro(
      "[HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin]\r\n"
      "\"Telvorin\"=\"D:\\\\Prog\\\\\"\r\n");
  EXPECT_EQ(expande("&TELVORIN/LOG"), "D:\\Prog\\/LOG");
}

TEST_F(RegistroTest, MissingKeyOrValueGivesTheRoot) {
  carregaRegistro("[HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin]\r\n\"Outro\"=\"D:/X\"\r\n");
  EXPECT_EQ(expande("&TELVORIN/LOG"), "C:/Trays/LOG");
  carregaRegistro("[HKEY_LOCAL_MACHINE\\Software\\Norvalis]\r\n\"Telvorin\"=\"D:/X\"\r\n");
  EXPECT_EQ(expande("&TELVORIN/LOG"), "C:/Trays/LOG");
  carregaRegistro("[HKEY_CLASSES_ROOT\\Software\\Norvalis\\Telvorin]\r\n\"Telvorin\"=\"D:/X\"\r\n");
  EXPECT_EQ(expande("&TELVORIN/LOG"), "C:/Trays/LOG");
}

TEST_F(RegistroTest, EmptyValueGivesEmptyReplacement) {
  carregaRegistro("[HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin]\r\n\"Telvorin\"=\"\"\r\n");
  EXPECT_EQ(expande("&TELVORIN/LOG"), "/LOG");
}

}  // namespace
}  // namespace torvex::testing
