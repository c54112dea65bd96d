#include "upload/nomes_upload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_tree.h"
#include "upload/procura_arquivo.h"

namespace torvex {
namespace {

std::string destinoDe(const char* nome, const char* expressao) {
  char copiaExpressao[kTamanhoCaminho];
  EXPECT_TRUE(copia(copiaExpressao, sizeof copiaExpressao, expressao));
  char destino[kTamanhoCaminho];
  if (!montaNomeDestino("C:/dados", nome, copiaExpressao, destino)) return "<no fit>";
  return destino;
}

TEST(MontaNomeDestino, RenameTable) {
  EXPECT_EQ(destinoDe("arq01.txt", "*.*"), "C:/dados/arq01.txt");
  EXPECT_EQ(destinoDe("arq01.txt", "*"), "C:/dados/arq01.txt");
  EXPECT_EQ(destinoDe("arq01.txt", "*.bak"), "C:/dados/arq01.bak");
  EXPECT_EQ(destinoDe("arq01.txt", "x*.old"), "C:/dados/arq01.old");
  EXPECT_EQ(destinoDe("arq01.txt", "enviado.*"), "C:/dados/enviado.txt");
  EXPECT_EQ(destinoDe("arq01.txt", "enviado.txt"), "C:/dados/enviado.txt");
  EXPECT_EQ(destinoDe("arq01.txt", "enviado"), "C:/dados/enviado.");
  EXPECT_EQ(destinoDe("arq01.txt", "C:/enviados/*.*"), "C:/enviados/arq01.txt");
  EXPECT_EQ(destinoDe("arq01.txt", "D:\\saida\\x?.t?t"), "D:/saida/arq01.txt");
}

TEST(MontaNomeDestino, SplitsTheFoundNameAtItsFirstDot) {
  EXPECT_EQ(destinoDe("a.b.c", "*.bak"), "C:/dados/a.bak");
  EXPECT_EQ(destinoDe("a.b.c", "*.*"), "C:/dados/a.b.c");
  EXPECT_EQ(destinoDe("leiame", "*.*"), "C:/dados/leiame.");
  EXPECT_EQ(destinoDe("leiame", "*"), "C:/dados/leiame.");
  // A plain base keeps its own empty extension rather than taking the name's.
  EXPECT_EQ(destinoDe("a.b.c", "novo"), "C:/dados/novo.");
  EXPECT_EQ(destinoDe("a.b.c", "novo.x.y"), "C:/dados/novo.x.y");
}

TEST(MontaNomeDestino, NormalisesTheExpressionInPlace) {
  char expressao[kTamanhoCaminho] = "D:\\saida(1)\\*.*";
  char destino[kTamanhoCaminho];
  ASSERT_TRUE(montaNomeDestino("C:/dados", "a.txt", expressao, destino));
  EXPECT_STREQ(expressao, "D:/saida/1)/*.*");
  EXPECT_STREQ(destino, "D:/saida/1)/a.txt");
}

TEST(MontaNomeDestino, RefusesATargetThatWouldNotFit) {
  std::string diretorio(250, 'd');
  char expressao[kTamanhoCaminho] = "*.*";
  char destino[kTamanhoCaminho];
  EXPECT_FALSE(montaNomeDestino(diretorio.c_str(), "arq01.txt", expressao, destino));
  EXPECT_STREQ(destino, "");
  EXPECT_TRUE(montaNomeDestino(diretorio.c_str(), "a.t", expressao, destino));
  EXPECT_EQ(std::string(destino).size(), 254u);
}

std::string nomesDe(const char* encontrado, LONG indice) {
  char nome[kTamanhoCaminho], arquivo[kTamanhoCaminho], controle[kTamanhoCaminho];
  EXPECT_TRUE(copia(nome, sizeof nome, encontrado));
  if (!montaNomesUpload(nome, indice, arquivo, controle)) return "<no fit>";
  return std::string(nome) + " " + arquivo + " " + controle;
}

TEST(MontaNomesUpload, StemIsTheLowerCasedNameWithItsLastDotReplaced) {
  EXPECT_EQ(nomesDe("ARQ01.TXT", 3), "arq01.txt F3_arq01_txt.ARJ F3_arq01_txt.DAT");
  EXPECT_EQ(nomesDe("relatorio.final.txt", 1),
            "relatorio.final.txt F1_relatorio.final_txt.ARJ F1_relatorio.final_txt.DAT");
  EXPECT_EQ(nomesDe("LEIAME", 12), "leiame F12_leiame.ARJ F12_leiame.DAT");
  EXPECT_EQ(nomesDe("LEIAME", -2), "leiame F-2_leiame.ARJ F-2_leiame.DAT");
  EXPECT_EQ(nomesDe("rel(1).txt", 1), "rel(1).txt F1_rel(1)_txt.ARJ F1_rel(1)_txt.DAT");
}

TEST(MontaNomesUpload, LowerCasesAsciiLettersOnly) {
  EXPECT_EQ(nomesDe("RELAT\xD3RIO.TXT", 1),
            "relat\xD3rio.txt F1_relat\xD3rio_txt.ARJ F1_relat\xD3rio_txt.DAT");
}

TEST(MontaNomesUpload, RefusesNamesThatWouldNotFit) {
  EXPECT_EQ(nomesDe(std::string(249, 'a').c_str(), 1), "<no fit>");
  EXPECT_NE(nomesDe(std::string(248, 'a').c_str(), 1), "<no fit>");
}

TEST(ExtraiDiretorio, CutsAtTheLastSeparator) {
  char diretorio[kTamanhoCaminho] = "intocado";
  EXPECT_EQ(extraiDiretorio("ARQ01.TXT", diretorio), -1);
  EXPECT_STREQ(diretorio, "intocado");
  EXPECT_EQ(extraiDiretorio("C:/dados/sub/ARQ*.TXT", diretorio), 0);
  EXPECT_STREQ(diretorio, "C:/dados/sub");
  EXPECT_EQ(extraiDiretorio("/x", diretorio), 0);
  EXPECT_STREQ(diretorio, "");
}

TEST(FiltroTamanho, OnlyForQuestionMarksWithoutAsterisk) {
  EXPECT_EQ(filtroTamanho("C:/dados/ARQ??.TXT"), 9u);
  EXPECT_EQ(filtroTamanho("ARQ??.TXT"), 9u);
  EXPECT_EQ(filtroTamanho("C:/da?os/ARQ01.TXT"), 9u);  // "?" anywhere counts
  EXPECT_EQ(filtroTamanho("C:/dados/ARQ??.*"), 0u);
  EXPECT_EQ(filtroTamanho("C:/dados/ARQ01.TXT"), 0u);
  EXPECT_EQ(filtroTamanho("C:/dados/"), 0u);
}

TEST(DobraCaixa, FoldsAsTheFileSystemComparesNames) {
  EXPECT_EQ(dobraCaixa("F1_ARQ.ARJ"), dobraCaixa("f1_arq.arj"));
  EXPECT_EQ(dobraCaixa("\xC7\xC3O"), dobraCaixa("\xE7\xE3o"));  // ÇÃO, ção
  EXPECT_EQ(dobraCaixa("\x8A\x9F"), dobraCaixa("\x9A\xFF"));    // ŠŸ, šÿ
  EXPECT_NE(dobraCaixa("\xD7"), dobraCaixa("\xF7"));            // × and ÷ are no letters
  EXPECT_NE(dobraCaixa("a.b_c"), dobraCaixa("a_b.c"));
}

TEST(ChaveCaminho, DirectoriesAsTheFileSystemResolvesThemNamesAsStored) {
  EXPECT_EQ(chaveCaminho("C:/dados/ARQ.TXT"), chaveCaminho("c:\\DADOS\\.\\x\\..\\ARQ.TXT"));
  EXPECT_EQ(chaveCaminho("C:/dados/ARQ.TXT"), chaveCaminho("C://dados//ARQ.TXT"));
  EXPECT_NE(chaveCaminho("C:/dados/ARQ.TXT"), chaveCaminho("C:/dados/arq.txt"));
  EXPECT_NE(chaveCaminho("C:/dados/z.txt"), chaveCaminho("C:/enviados/z.txt"));
  EXPECT_NE(chaveCaminho("C:/dados/a"), chaveCaminho("D:/dados/a"));
  EXPECT_NE(chaveCaminho("C:/dados/a"), chaveCaminho("/dados/a"));
  EXPECT_EQ(chaveCaminho("a.txt"), "a.txt");
}

// Files only, in the search's order, however many there are, and only the
// filter's length when there is one.
TEST(ProcuraArquivo, HandsOutTheMatchingFilesInOrder) {
  testing::TempTree t;
  for (const char* n : {"b.txt", "A.TXT", "ab.txt", "x", "com espaco.txt"}) {
    t.write(std::string("dados/") + n, "1");
  }
  t.mkdir("dados/pasta.txt");
  auto lista = [](const char* padrao) {
    std::vector<std::string> nomes;
    ProcuraArquivo busca(padrao, filtroTamanho(padrao));
    while (const char* n = busca.proximo()) nomes.emplace_back(n);
    EXPECT_EQ(busca.proximo(), nullptr);  // and stays at its end
    return nomes;
  };
  EXPECT_EQ(lista("C:/dados/*"),
            (std::vector<std::string>{"A.TXT", "ab.txt", "b.txt", "com espaco.txt", "x"}));
  EXPECT_EQ(lista("C:/dados/?.txt"), (std::vector<std::string>{"A.TXT", "b.txt"}));
  EXPECT_EQ(lista("C:/dados/*.dat"), std::vector<std::string>{});
  EXPECT_EQ(lista("C:/nenhuma/*"), std::vector<std::string>{});
}

}  // namespace
}  // namespace torvex
