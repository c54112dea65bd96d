// The torvex command as a shell sees it: output, exit status, usage errors.
// Runs the built program with the temporary tree as drive C:.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"

namespace {

using torvex::testing::TempTree;

struct Execucao {
  int status = -1;
  std::string saida, erros;
};

std::string citado(const std::string& arg) {
  std::string r = "'";
  for (char c : arg) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

std::string le(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Cli : public ::testing::Test {
 protected:
  // `ambiente`: variable assignments to put before the command.
  Execucao torvex(const std::vector<std::string>& args, const std::string& ambiente = "") {
    const auto out = tree.path("out"), err = tree.path("err"), rc = tree.path("rc");
    std::string comando = ambiente + " " + citado(TORVEX_CLI);
    for (const std::string& a : args) comando += " " + citado(a);
    comando += " >" + citado(out) + " 2>" + citado(err) + "; echo $? >" + citado(rc);
    EXPECT_EQ(0, std::system(comando.c_str()));
    Execucao e{std::stoi(le(rc)), le(out), le(err)};
    std::filesystem::remove(out), std::filesystem::remove(err), std::filesystem::remove(rc);
    return e;
  }
  // A usage error: status 2, nothing on stdout, one line on stderr.
  void esperaErroDeUso(const std::vector<std::string>& args) {
    Execucao e = torvex(args);
    EXPECT_EQ(e.status, 2) << args[0];
    EXPECT_EQ(e.saida, "");
    ASSERT_FALSE(e.erros.empty());
    EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
  }
  TempTree tree;
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
    esperaErroDeUso({"recuperaArquivoUpload", "C:/T", ruim});
  }
  for (const char* bom : {"+3", "-5", "2147483647", "-2147483648"}) {
    Execucao e = torvex({"recuperaArquivoUpload", "C:/T", bom});
    EXPECT_EQ(e.status, 0) << bom;
    EXPECT_EQ(e.saida, "\n") << "the null string is an empty line";
  }
}

TEST_F(Cli, LongResultsInDecimal) {
  Execucao cria = torvex({"criaInfraEstrutura", "C:\\Troca"});
  EXPECT_EQ(cria.status, 0);
  EXPECT_EQ(cria.saida, "0\n");
  EXPECT_TRUE(tree.exists("Troca/OUTTRAY/WORK"));
  EXPECT_EQ(torvex({"criaInfraEstrutura", "//servidor/pasta"}).saida, "1\n");
  EXPECT_EQ(torvex({"existeArquivo", "C:/Troca/INTRAY"}).saida, "0\n");
  EXPECT_EQ(torvex({"deletaArquivo", "C:/Troca/nada"}).saida, "-1\n");
}

TEST_F(Cli, StringResultsAsUtf8) {
  tree.write("Ação/OUTTRAY/WORK/F7_relatório_txt.ARJ", "x");
  tree.write("Ação/OUTTRAY/ContDown.dat", "x");
  Execucao nome = torvex({"recuperaArquivoUpload", "C:\\Ação", "1"});
  EXPECT_EQ(nome.status, 0);
  EXPECT_EQ(nome.saida, "F7_relatório_txt.ARJ\n");
  EXPECT_EQ(torvex({"recuperaControleDownload", "C:\\Ação"}).saida,
            "C:/Ação/Outtray/ContDown.dat\n");
  EXPECT_EQ(torvex({"recuperaControleDownload", "C:\\Outra"}).saida, "\n");
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
  tree.write("Troca/x.txt", "x");
  const std::pair<const char*, const char*> casos[] = {
      {"TORVEX_DRIVES", "C=relative/dir"},
      {"TORVEX_WINVER", "5"},
      {"TORVEX_NOW", "2024-07-01"},
  };
  for (const auto& [nome, valor] : casos) {
    const std::string ambiente = std::string(nome) + "=" + citado(valor);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"existeArquivo", "C:/Troca/x.txt"},
          std::vector<std::string>{"deletaArquivo", "C:/Troca/x.txt"},
          std::vector<std::string>{"demo"}, std::vector<std::string>{"expand", "&YY"}}) {
      Execucao e = torvex(args, ambiente);
      EXPECT_EQ(e.status, 1) << ambiente << " " << args[0];
      EXPECT_EQ(e.saida, "");
      EXPECT_EQ(e.erros.rfind(std::string("torvex: ") + nome + ": '" + valor + "' is not ", 0), 0u)
          << e.erros;
      EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
    }
    EXPECT_TRUE(tree.exists("Troca/x.txt")) << ambiente << ": nothing was done";
    EXPECT_EQ(torvex({"--version"}, ambiente).status, 0) << "--version reads no environment";
    EXPECT_EQ(torvex({"--help"}, ambiente).status, 0) << "--help reads no environment";
  }
}

TEST_F(Cli, ExpandNormalisesTheRoot) {
  Execucao e = torvex({"expand", "&QVDIR/DATA/x.txt", "C:\\Troca\\"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.saida, "C:/Troca/DATA/x.txt\n");
}

TEST_F(Cli, ArjPrintsTheLibraryResult) {
  Execucao e = torvex({"arj", "t \"C:/missing.arj\""});
  EXPECT_EQ(e.status, 0);
  EXPECT_NE(e.saida, "0\n");
  EXPECT_NE(e.saida.find_first_of("123456789"), std::string::npos) << e.saida;
}

TEST_F(Cli, DemoRunsTheRoundTripAndCleansUp) {
  tree.mkdir("tmp");
  Execucao e = torvex({"demo"}, "TMPDIR=" + citado(tree.path("tmp")));
  EXPECT_EQ(e.status, 0) << e.saida << e.erros;
  EXPECT_TRUE(std::filesystem::is_empty(tree.path("tmp")));
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
      {{"arj", "t \"C:/missing.arj\""}, {"6\n", "6: cannot open"}},
      {{"arj", "t \"C:/f.txt\""}, {"9\n", "9: not an ARJ archive"}},
  };
  for (const auto& [args, esperado] : casos) {
    Execucao e = torvex(args);
    EXPECT_EQ(e.status, 0) << args[1];
    EXPECT_EQ(e.saida, esperado.first) << args[1];
    EXPECT_EQ(e.erros.rfind(std::string("torvex: arj: ") + esperado.second, 0), 0u) << e.erros;
    EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
  }
  Execucao ok = torvex({"arj", "a \"C:/x.arj\" \"C:/f.txt\""});
  EXPECT_EQ(ok.saida, "0\n");
  EXPECT_EQ(ok.erros, "") << "success stays quiet for scripts";
}

TEST_F(Cli, DispatchBeforeRegistrationSaysToRegister) {
  const std::string registro = "TORVEX_REGISTRY=" + citado(tree.path("vazio.reg").string());
  Execucao e = torvex({"--dispatch", "existeArquivo", "C:/x"}, registro);
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.saida, "");
  EXPECT_NE(e.erros.find("run torvex register"), std::string::npos) << e.erros;
  EXPECT_EQ(e.erros.find('\n'), e.erros.size() - 1) << e.erros;
}

}  // namespace
