// The torvex command as a host starts it: output, exit status, usage errors.
// Runs the built program on the temporary tree (drive C:; under Wine D:, as
// a program started there loads its system DLLs from C:).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ansi_text.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/windows_limits.h"

namespace {

using torvex::testing::ansi;
using torvex::testing::TempTree;

struct Execucao {
  int status = -1;
  std::string saida, erros;
};

class Cli : public ::testing::Test {
 protected:
  // `ambiente`: "NAME=value" entries the command gets besides this process's.
  Execucao torvex(const std::vector<std::string>& args, const std::vector<std::string>& ambiente = {}) {
    const torvex::testing::ChildRun r = torvex::testing::runProgram(TORVEX_CLI, args, ambiente);
    return {r.exitCode, linhas(r.out), linhas(r.err)};
  }
  // Line ends as "\n": on Windows the C runtime writes each as CR LF, as the
  // console and batch files expect.
  static std::string linhas(std::string texto) {
#ifdef _WIN32
    for (size_t at = texto.find("\r\n"); at != std::string::npos; at = texto.find("\r\n", at)) {
      texto.erase(at, 1);
    }
#endif
    return texto;
  }
  // A usage error: status 2, nothing on stdout, one line on stderr.
  void esperaErroDeUso(const std::vector<std::string>& args) {
    Execucao e = torvex(args);
    EXPECT_EQ(e.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(e.saida, "");
    ASSERT_FALSE(e.erros.empty());
    EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
  }
  TempTree tree{torvex::testing::kChildTreeDrive};
};

TEST_F(Cli, UsageErrors) {
  esperaErroDeUso({});
  esperaErroDeUso({"criaInfraestrutura", "C:/T"});  // names are case-sensitive
  esperaErroDeUso({"existeArquivo"});
  esperaErroDeUso({"existeArquivo", "a", "b"});
  esperaErroDeUso({"geraArquivoUpload", "C:/T", "C:/D/*", ""});
  esperaErroDeUso({"--help", "extra"});
  esperaErroDeUso({"arj"});
  esperaErroDeUso({"expand"});
  esperaErroDeUso({"expand", std::string(256, 'x')});
  esperaErroDeUso({"demo", "--now"});
}

TEST_F(Cli, LongArgumentsMustBeWholeNumbersInRange) {
  for (const char* ruim : {"x", "1.5", "", "2147483648", "-2147483649", "1 ", "0x10"}) {
    esperaErroDeUso({"recuperaArquivoUpload", tree.onDrive("/T"), ruim});
  }
  for (const char* bom : {"+3", "-5", "2147483647", "-2147483648"}) {
    Execucao e = torvex({"recuperaArquivoUpload", tree.onDrive("/T"), bom});
    EXPECT_EQ(e.status, 0) << bom;
    EXPECT_EQ(e.saida, "\n") << "the null string is an empty line";
  }
}

TEST_F(Cli, LongResultsInDecimal) {
  Execucao cria = torvex({"criaInfraEstrutura", tree.onDrive("\\Troca")});
  EXPECT_EQ(cria.status, 0);
  EXPECT_EQ(cria.saida, "0\n");
  EXPECT_TRUE(tree.exists("Troca/OUTTRAY/WORK"));
  EXPECT_EQ(torvex({"criaInfraEstrutura", "//servidor/pasta"}).saida, "1\n");
  EXPECT_EQ(torvex({"existeArquivo", tree.onDrive("/Troca/INTRAY")}).saida, "0\n");
  EXPECT_EQ(torvex({"deletaArquivo", tree.onDrive("/Troca/nada")}).saida, "-1\n");
}

// In the ANSI code page on Windows, as the arguments come.
TEST_F(Cli, StringResultsAsUtf8) {
  tree.write(ansi("Ação/OUTTRAY/WORK/F7_relatório_txt.ARJ"), "x");
  tree.write(ansi("Ação/OUTTRAY/ContDown.dat"), "x");
  Execucao nome = torvex({"recuperaArquivoUpload", tree.onDrive(ansi("\\Ação")), "1"});
  EXPECT_EQ(nome.status, 0);
  EXPECT_EQ(nome.saida, ansi("F7_relatório_txt.ARJ\n"));
  EXPECT_EQ(torvex({"recuperaControleDownload", tree.onDrive(ansi("\\Ação"))}).saida,
            tree.onDrive(ansi("/Ação/Outtray/ContDown.dat\n")));
  EXPECT_EQ(torvex({"recuperaControleDownload", tree.onDrive("\\Outra")}).saida, "\n");
}

TEST_F(Cli, HelpNamesEveryMethodSubcommandAndVariable) {
  Execucao e = torvex({"--help"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.erros, "");
  for (const char* termo :
       {"criaInfraEstrutura", "recuperaArquivoUpload", "existeArquivo", "deletaArquivo",
        "geraArquivoUpload", "recuperaControleDownload", "disponibilizaArquivos", "demo", "arj",
        "expand", "TORVEX_DRIVES", "TORVEX_REGISTRY", "TORVEX_WINVER", "TORVEX_NOW",
        "docs/environment.md"}) {
    EXPECT_NE(e.saida.find(termo), std::string::npos) << termo;
  }
}

TEST_F(Cli, VersionIsTheProjectVersion) {
  Execucao e = torvex({"--version"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.saida, "torvex " TORVEX_VERSION "\n");
  EXPECT_EQ(e.erros, "");
  esperaErroDeUso({"--version", "extra"});
}

// A malformed variable stops the command before it does anything: status 1,
// nothing on stdout, one line on stderr naming the variable and the entry.
TEST_F(Cli, MalformedEnvironmentIsRefusedWithOneLine) {
  if (torvex::testing::kWin32Surroundings) GTEST_SKIP() << torvex::testing::kNoStandInVariables;
  tree.write("Troca/x.txt", "x");
  const std::pair<const char*, const char*> casos[] = {
      {"TORVEX_DRIVES", "C=relative/dir"},
      {"TORVEX_WINVER", "5"},
      {"TORVEX_NOW", "2024-07-01"},
  };
  for (const auto& [nome, valor] : casos) {
    const std::vector<std::string> ambiente{std::string(nome) + "=" + valor};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"existeArquivo", tree.onDrive("/Troca/x.txt")},
          std::vector<std::string>{"deletaArquivo", tree.onDrive("/Troca/x.txt")},
          std::vector<std::string>{"demo"}, std::vector<std::string>{"expand", "&YY"}}) {
      Execucao e = torvex(args, ambiente);
      EXPECT_EQ(e.status, 1) << ambiente[0] << " " << args[0];
      EXPECT_EQ(e.saida, "");
      EXPECT_EQ(e.erros.rfind(std::string("torvex: ") + nome + ": '" + valor + "' is not ", 0), 0u)
          << e.erros;
      EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
    }
    EXPECT_TRUE(tree.exists("Troca/x.txt")) << ambiente[0] << ": nothing was done";
    EXPECT_EQ(torvex({"--version"}, ambiente).status, 0) << "--version reads no environment";
    EXPECT_EQ(torvex({"--help"}, ambiente).status, 0) << "--help reads no environment";
  }
}

TEST_F(Cli, ExpandNormalisesTheRoot) {
  Execucao e = torvex({"expand", "&QVDIR/DATA/x.txt", tree.onDrive("\\Troca\\")});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.saida, tree.onDrive("/Troca/DATA/x.txt\n"));
}

TEST_F(Cli, ArjPrintsTheLibraryResult) {
  Execucao e = torvex({"arj", "t \"" + tree.onDrive("/missing.arj") + "\""});
  EXPECT_EQ(e.status, 0);
  EXPECT_NE(e.saida, "0\n");
  EXPECT_NE(e.saida.find_first_of("123456789"), std::string::npos) << e.saida;
}

// In a temporary folder as deep as a Windows user's, whose path the demo's
// received archives once carried past their descriptor's 79 characters.
TEST_F(Cli, DemoRunsTheRoundTripAndCleansUp) {
  const std::string pasta = "tmp/Users/operador.da.troca/AppData/Local/Temp";
  tree.mkdir(pasta);
#ifdef _WIN32
  std::string windows = pasta;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  const std::string temporaria = "TMP=" + tree.onDrive("\\" + windows);  // which GetTempPath reads
#else
  const std::string temporaria = "TMPDIR=" + tree.path(pasta).string();
#endif
  Execucao e = torvex({"demo"}, {temporaria});
  EXPECT_EQ(e.status, 0) << e.saida << e.erros;
  EXPECT_TRUE(std::filesystem::is_empty(tree.path(pasta)));
  EXPECT_NE(e.saida.find("Step 1"), std::string::npos);
  EXPECT_EQ(e.saida.find("!!"), std::string::npos) << e.saida;
}

// Every result value of every method is named and explained, in --help and
// in help METHOD, so a host's author needs no other source.
TEST_F(Cli, HelpGivesEveryResultValueOfEveryMethod) {
  const std::pair<const char*, std::vector<std::string>> casos[] = {
      {"criaInfraEstrutura", {"0", "1"}},
      {"recuperaArquivoUpload", {"a name", "empty line"}},
      {"existeArquivo", {"0", "1"}},
      {"deletaArquivo", {"0", "-1"}},
      {"geraArquivoUpload", {"0", "2", "-1"}},
      {"recuperaControleDownload", {"a path", "empty line"}},
      {"disponibilizaArquivos", {"0", "1"}},
  };
  const std::string ajuda = torvex({"--help"}).saida;
  for (const auto& [metodo, valores] : casos) {
    Execucao e = torvex({"help", metodo});
    EXPECT_EQ(e.status, 0) << metodo;
    EXPECT_EQ(e.erros, "");
    EXPECT_EQ(e.saida.rfind(std::string("torvex ") + metodo + " ", 0), 0u) << e.saida;
    for (const char* secao : {"\nArguments:\n", "\nResult:\n", "\nLeaves on disk:\n"}) {
      EXPECT_NE(e.saida.find(secao), std::string::npos) << metodo << secao;
    }
    const size_t bloco = ajuda.find(std::string("\n  ") + metodo + " ");
    ASSERT_NE(bloco, std::string::npos) << metodo;
    for (const std::string& valor : valores) {
      EXPECT_NE(e.saida.find("\n  " + valor + "  "), std::string::npos) << metodo << " " << valor;
      EXPECT_NE(ajuda.find("\n      " + valor + "  ", bloco), std::string::npos)
          << metodo << " " << valor;
    }
  }
  EXPECT_EQ(torvex({"help", "arj"}).saida.rfind("torvex arj 'COMMAND LINE'\n", 0), 0u);
  EXPECT_EQ(torvex({"help"}).saida, ajuda);
}

// A slip in a name gets the name meant; a name far from all gets none.
TEST_F(Cli, MistypedNamesGetTheNearestName) {
  const std::pair<std::vector<std::string>, const char*> casos[] = {
      {{"criaInfraestrutura", "C:/T"}, "criaInfraEstrutura"},
      {{"geraArquivoUplod", "C:/T", "C:/D/*", "", "1"}, "geraArquivoUpload"},
      {{"disponibilizaArquivo", "C:/T"}, "disponibilizaArquivos"},
      {{"stauts", "C:/T"}, "status"},
      {{"--hlep"}, "--help"},
      {{"help", "existeArquvo"}, "existeArquivo"},
      {{"help", "regster"}, "register"},
  };
  for (const auto& [args, nome] : casos) {
    Execucao e = torvex(args);
    EXPECT_EQ(e.status, 2) << args[0];
    EXPECT_EQ(e.saida, "");
    EXPECT_NE(e.erros.find(std::string("did you mean '") + nome + "'?"), std::string::npos)
        << e.erros;
    EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
  }
  for (const char* longe : {"xyz", "upload", "help2more"}) {
    Execucao e = torvex({longe});
    EXPECT_EQ(e.status, 2) << longe;
    EXPECT_EQ(e.erros.find("did you mean"), std::string::npos) << e.erros;
  }
}

// The number stays alone on stdout for scripts; stderr says what it means.
TEST_F(Cli, ArjExplainsItsResultOnStderr) {
  tree.write("f.txt", "x");
  const std::pair<std::vector<std::string>, std::pair<const char*, const char*>> casos[] = {
      {{"arj", "a ARC F1 F2"}, {"7\n", "7: not a command line"}},
      {{"arj", "t \"" + tree.onDrive("/missing.arj") + "\""}, {"6\n", "6: cannot open"}},
      {{"arj", "t \"" + tree.onDrive("/f.txt") + "\""}, {"9\n", "9: not an ARJ archive"}},
  };
  for (const auto& [args, esperado] : casos) {
    Execucao e = torvex(args);
    EXPECT_EQ(e.status, 0) << args[1];
    EXPECT_EQ(e.saida, esperado.first) << args[1];
    EXPECT_EQ(e.erros.rfind(std::string("torvex: arj: ") + esperado.second, 0), 0u) << e.erros;
    EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
  }
  Execucao ok = torvex({"arj", "a \"" + tree.onDrive("/x.arj") + "\" \"" + tree.onDrive("/f.txt") + "\""});
  EXPECT_EQ(ok.saida, "0\n");
  EXPECT_EQ(ok.erros, "") << "success stays quiet for scripts";
}

TEST_F(Cli, DispatchBeforeRegistrationSaysToRegister) {
  Execucao e = torvex({"--dispatch", "existeArquivo", tree.onDrive("/x")},
                      {"TORVEX_REGISTRY=" + tree.path("vazio.reg").string()});
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.saida, "");
  EXPECT_NE(e.erros.find("run torvex register"), std::string::npos) << e.erros;
  EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
}

}  // namespace
