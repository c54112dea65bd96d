#include "tests/download/received_archives.h"

#include <gtest/gtest.h>

#include <sstream>

#include "arj/exec_arj.h"
#include "platform/file.h"

namespace torvex::testing {

void criaBandejas(const TempTree& arvore) {
  for (const char* d : {"T/DATA", "T/INTRAY/WORK", "T/OUTTRAY/WORK"}) arvore.mkdir(d);
}

void criaRecebido(const TempTree& arvore, const std::string& nome, const std::string& descritor,
                  const std::string& dados) {
  const std::string base = nome.substr(0, nome.rfind('.'));
  arvore.write("STAGE/" + base + ".FN", descritor);
  arvore.write("STAGE/" + base + ".ARQ", dados);
  const std::string drive(1, arvore.drive());
  for (const char* extensao : {".FN", ".ARQ"}) {
    const std::string comando = "a \"" + drive + ":/T/INTRAY/WORK/" + nome + "\" \"" + drive +
                                ":/STAGE/" + base + extensao + "\"";
    ASSERT_EQ(ExecArj(comando.c_str(), 0), 0) << comando;
  }
  std::filesystem::remove_all(arvore.path("STAGE"));
}

std::string descritor(const std::string& fi, const std::string& carimbo, const std::string& codigo) {
  return fi + "\r\n" + carimbo + "\r\n" + codigo + "\r\n";
}

std::vector<std::string> listaRecebidos() {
  std::vector<std::string> nomes;
  DirSearch busca("C:/T/Intray/Work/D?????.ARJ");
  if (!busca.found()) return nomes;
  do {
    nomes.push_back(busca.entry().name);
  } while (busca.next());
  return nomes;
}

std::vector<std::string> arquivosRegistrados(const TempTree& arvore) {
  std::istringstream texto(arvore.read("T/OUTTRAY/ContDown.dat"));
  std::vector<std::string> nomes;
  std::string linha;
  int numero = 0;
  while (std::getline(texto, linha)) {
    if (numero++ % 5 == 2) nomes.push_back(linha.substr(0, linha.size() - 1));  // drop the CR
  }
  return nomes;
}

}  // namespace torvex::testing
