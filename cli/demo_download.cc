// The demo's download step: the upload archives come back as received
// archives and are distributed with each disposition code in turn.
#include <cstdio>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "cli/demo.h"
#include "platform/file.h"

namespace torvex::cli {

namespace {

struct Recebido {
  const char* codigo;
  const char* explicacao;
};

// Four deliveries to one destination: the first creates it, then a
// replacement, an append and a numbered message beside it.
const Recebido kRecebidos[] = {
    {"M", "new destination: moved there (the code does not matter yet)"},
    {"R", "destination exists, code R: replaced"},
    {"A", "destination exists, code A: appended"},
    {"M", "destination exists, code M: a numbered message beside it"},
};

std::string leArquivo(const std::string& caminho) {
  File f(caminho.c_str(), OpenMode::Read);
  std::string conteudo;
  char bloco[4096];
  for (long n; f && (n = f.read(bloco, sizeof bloco)) > 0;) {
    conteudo.append(bloco, static_cast<size_t>(n));
  }
  return conteudo;
}

std::vector<std::string> lista(const std::string& padrao) {
  std::vector<std::string> nomes;
  DirSearch busca(padrao.c_str());
  for (bool ha = busca.found(); ha; ha = busca.next()) {
    if (!(busca.entry().attributes & kAttrDirectory)) nomes.push_back(busca.entry().name);
  }
  return nomes;
}

// The contents packed in the upload archives, as the service would send them
// back; sample texts where there are fewer than needed.
std::vector<std::string> conteudosDevolvidos(Demo& demo) {
  std::vector<std::string> conteudos;
  const std::string trabalho = demo.naRaiz("/Outtray/Work/");
  for (const std::string& arquivo : lista(trabalho + "F*_*.ARJ")) {
    if (conteudos.size() == std::size(kRecebidos)) break;
    const std::string pasta = demo.naRaiz("/TMP/volta" + std::to_string(conteudos.size()));
    platform().createDirectory(pasta.c_str());
    const std::string comando = "e \"" + trabalho + arquivo + "\" \"" + pasta + "/\" -y";
    if (ExecArj(comando.c_str(), 0) != 0) continue;
    for (const std::string& membro : lista(pasta + "/*")) {
      conteudos.push_back(leArquivo(pasta + "/" + membro));
      platform().deleteFile((pasta + "/" + membro).c_str());
    }
    platform().removeDirectory(pasta.c_str());
  }
  for (size_t i = conteudos.size(); i < std::size(kRecebidos); ++i) {
    conteudos.push_back("sample payload " + std::to_string(i + 1) + "\r\n");
  }
  return conteudos;
}

}  // namespace

// "D0000n.ARJ" in the incoming work area holding the descriptor "D0000n.FN"
// and the data "D0000n.ARQ", packed with our own archive library.
bool montaRecebido(Demo& demo, int numero, const std::string& fi, const char* codigo,
                   const std::string& dados) {
  char base[16];
  std::snprintf(base, sizeof base, "D%05d", numero);
  const std::string preparo = demo.naRaiz("/TMP/") + base;
  const std::string arquivo = demo.naRaiz("/Intray/Work/") + base + ".ARJ";
  if (!demo.escreveArquivo(preparo + ".FN", fi + "\r\nABCDEF.GH+202612061504+\r\n" + codigo + "\r\n") ||
      !demo.escreveArquivo(preparo + ".ARQ", dados)) {
    return false;
  }
  bool ok = true;
  for (const char* extensao : {".FN", ".ARQ"}) {
    const std::string comando = "a \"" + arquivo + "\" \"" + preparo + extensao + "\"";
    ok = ok && ExecArj(comando.c_str(), 0) == 0;
    platform().deleteFile((preparo + extensao).c_str());
  }
  if (!ok) demo.falhou("could not pack " + arquivo);
  return ok;
}

void demoDownload(Demo& demo) {
  demo.passo("Download",
             "The upload archives come back from the service as received archives\n"
             "\"D?????.ARJ\", each holding a name descriptor (FI, stamp, disposition code)\n"
             "and the data. disponibilizaArquivos extracts each one, expands its FI with\n"
             "the stamp (&PAA&PMM&PDD = 20261206), places the data and appends a record\n"
             "to \"ContDown.dat\". One archive per pass, to show each code in turn.");
  const std::string destino = demo.dados() + "/Recebidos";
  platform().createDirectory(destino.c_str());
  const std::string fi = destino + "/relatorio_&PAA&PMM&PDD.txt";
  const std::vector<std::string> conteudos = conteudosDevolvidos(demo);
  for (size_t i = 0; i < std::size(kRecebidos); ++i) {
    demo.nota("");
    demo.nota(kRecebidos[i].explicacao);
    if (!montaRecebido(demo, static_cast<int>(i + 1), fi, kRecebidos[i].codigo, conteudos[i])) return;
    if (demo.disponibilizaArquivos(demo.raiz()) != 0) demo.falhou("the archive was not delivered");
  }
  demo.nota("");
  demo.listaArvore(destino);
  demo.mostraArquivo(destino + "/relatorio_20261206.txt");  // replaced, then appended to
  demo.mostraArquivo(destino + "/M00001.QVX");
  const std::string controle = demo.recuperaControleDownload(demo.raiz());
  if (controle.empty()) {
    demo.falhou("no download control file");
    return;
  }
  demo.mostraArquivo(controle);
}

}  // namespace torvex::cli
