// `torvex --dispatch` answers as the direct mode does, once `torvex register`
// has registered the library beside the command, and not before.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/component_com/com_fixture.h"

namespace torvex::testing {
namespace {

class CommandLine : public ComTest {
 protected:
  struct Run {
    int status;
    std::string out;
  };

  Run torvex(const std::string& arguments) {
    const std::string out = tree_.path("out.txt").string();
    std::string command = "'" TORVEX_CLI "' " + arguments + " > '" + out + "' 2>/dev/null";
    int status = std::system(command.c_str());
    return {status, tree_.read("out.txt")};
  }
};

TEST_F(CommandLine, DispatchGivesTheDirectAnswersAfterRegistration) {
  tree_.write("presente.txt", "x");
  Run before = torvex("--dispatch existeArquivo C:/presente.txt");
  EXPECT_NE(before.status, 0) << "nothing is registered yet";
  EXPECT_EQ(before.out, "");

  Run registered = torvex("register");
  ASSERT_EQ(registered.status, 0);
  EXPECT_EQ(registered.out, "0x00000000\n");

  tree_.write("T/Outtray/Work/F1_a_txt.ARJ", "");
  tree_.write("T/Outtray/ContDown.dat", "");
  for (const char* call :
       {"existeArquivo C:/presente.txt", "existeArquivo C:/ausente.txt",
        "existeArquivo 'C:\\presente.txt'", "recuperaArquivoUpload C:/T 1",
        "recuperaArquivoUpload C:/T 2", "recuperaControleDownload C:/T",
        "recuperaControleDownload C:/nada"}) {
    Run direct = torvex(call);
    Run late = torvex(std::string("--dispatch ") + call);
    EXPECT_EQ(late.status, 0) << call;
    EXPECT_EQ(late.out, direct.out) << call;
  }
  EXPECT_EQ(torvex("existeArquivo C:/ausente.txt").out, "1\n");
  EXPECT_EQ(torvex("--dispatch recuperaArquivoUpload C:/T 1").out, "F1_a_txt.ARJ\n");
  EXPECT_EQ(torvex("--dispatch recuperaControleDownload C:/T").out, "C:/T/Outtray/ContDown.dat\n");

  // Names reach GetIDsOfNames as typed, as a script host sends them.
  for (const char* name : {"EXISTEARQUIVO", "existearquivo", "ExisteArquivo"}) {
    Run late = torvex(std::string("--dispatch ") + name + " C:/presente.txt");
    EXPECT_EQ(late.status, 0) << name;
    EXPECT_EQ(late.out, "0\n") << name;
  }
  EXPECT_EQ(torvex("--dispatch RECUPERAARQUIVOUPLOAD C:/T 1").out, "F1_a_txt.ARJ\n");
  Run unknown = torvex("--dispatch existeArquivos C:/presente.txt");
  EXPECT_EQ(WEXITSTATUS(unknown.status), 2) << "an unknown name is a usage error";
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(torvex("existearquivo C:/presente.txt").status, 0) << "the direct mode is exact";

  EXPECT_EQ(torvex("unregister").out, "0x00000000\n");
  EXPECT_NE(torvex("--dispatch existeArquivo C:/presente.txt").status, 0);
  EXPECT_EQ(torvex("unregister").out, "0x00000000\n") << "unregistering twice is no failure";
}

}  // namespace
}  // namespace torvex::testing
