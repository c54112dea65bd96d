// `torvex --dispatch` answers as the direct mode does, once `torvex register`
// has registered the library beside the command, and not before.
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

  for (const char* file : {"C:/presente.txt", "C:/ausente.txt", "'C:\\presente.txt'"}) {
    Run direct = torvex(std::string("existeArquivo ") + file);
    Run late = torvex(std::string("--dispatch existeArquivo ") + file);
    EXPECT_EQ(late.status, 0) << file;
    EXPECT_EQ(late.out, direct.out) << file;
  }
  EXPECT_EQ(torvex("existeArquivo C:/ausente.txt").out, "1\n");
  Run text = torvex("--dispatch recuperaControleDownload C:/");
  EXPECT_EQ(text.out, torvex("recuperaControleDownload C:/").out);

  EXPECT_EQ(torvex("unregister").out, "0x00000000\n");
  EXPECT_NE(torvex("--dispatch existeArquivo C:/presente.txt").status, 0);
  EXPECT_EQ(torvex("unregister").out, "0x00000000\n") << "unregistering twice is no failure";
}

}  // namespace
}  // namespace torvex::testing
