// The demo's upload step: packing the sample files, a rename, a refused
// rename, then the archives and records as the host finds them.
#include <cstdio>
#include <string>

#include "cli/demo.h"
#include "platform/platform.h"

namespace torvex::cli {

namespace {

// `arj l` on an upload archive, when the arj program is installed here.
void listaComArj(Demo& demo, const std::string& arquivo) {
  const std::string caminho = platform().hostPath(arquivo.c_str());
  if (caminho.find('\'') != std::string::npos) return;
  std::fflush(stdout);
  if (platform().runCommand("command -v arj >/dev/null 2>&1") != 0) {
    demo.nota("(the arj program is not installed here, so it cannot list " + arquivo + ")");
    return;
  }
  demo.nota("arj l " + arquivo + ":");
  std::fflush(stdout);
  const std::string comando = "arj l '" + caminho + "' | sed -n '/^Filename/,$s/^/    | /p'";
  if (platform().runCommand(comando.c_str()) != 0) demo.falhou("arj could not list " + arquivo);
}

}  // namespace

void demoUpload(Demo& demo) {
  demo.passo("Pack the files for sending",
             "geraArquivoUpload expands the FI and packs each matching file alone into\n"
             "\"F<number>_<name>_<ext>.ARJ\" in the outgoing work area, has the archive\n"
             "library test it, writes the two-line record \"F<number>_<name>_<ext>.DAT\"\n"
             "beside it, and only then deletes the source. Names are lower-cased for the\n"
             "archive; a \"(\" in a found name is kept.");
  demo.escreveArquivo(demo.dados() + "/NOTAS(2).TXT", "Notes, second edition\r\n");
  if (demo.geraArquivoUpload(demo.raiz(), demo.dados() + "\\*.*", "", 1) != 0) {
    demo.falhou("the upload did not answer 0");
  }
  demo.listaArvore(demo.dados());

  demo.passo("Pack with a rename expression",
             "With a rename expression the packed file is moved instead of deleted: \"*\"\n"
             "keeps the found name's base, here with the extension \"bak\". When the\n"
             "expression's directory does not exist the answer is 2 and the file stays.");
  const std::string enviados = demo.dados() + "/Enviados";
  demo.criaDiretorio(enviados);
  demo.escreveArquivo(demo.dados() + "/pedido.txt", "Order 1234\r\n");
  if (demo.geraArquivoUpload(demo.raiz(), demo.dados() + "/pedido.txt", enviados + "/*.bak", 2) !=
      0) {
    demo.falhou("the upload with a rename did not answer 0");
  }
  if (demo.geraArquivoUpload(demo.raiz(), demo.dados() + "/pedido*.txt",
                             demo.dados() + "/Falta/*.*", 2) != 0) {
    demo.falhou("nothing matched, yet the answer was not 0");
  }
  demo.escreveArquivo(demo.dados() + "/fatura.txt", "Invoice 77\r\n");
  if (demo.geraArquivoUpload(demo.raiz(), demo.dados() + "/fatura.txt",
                             demo.dados() + "/Falta/*.*", 3) != 2) {
    demo.falhou("a missing rename directory did not answer 2");
  }
  demo.listaArvore(demo.dados());

  demo.passo("The archives waiting to be sent",
             "The host lists them with recuperaArquivoUpload 1, 2, ... until the null\n"
             "string. Each record holds the source path and its local last-write time,\n"
             "every line ending in CR LF; the arj program reads the archives.");
  const int quantos = demo.listaArquivosUpload();
  if (quantos != 4) demo.falhou("expected 4 archives, listed " + std::to_string(quantos));
  for (int i = 1; i <= quantos; ++i) {
    const std::string nome = demo.recuperaArquivoUpload(demo.raiz(), i);
    const std::string arquivo = demo.naRaiz("/OUTTRAY/WORK/") + nome;
    demo.mostraArquivo(arquivo.substr(0, arquivo.size() - 3) + "DAT");
    listaComArj(demo, arquivo);
  }
}

}  // namespace torvex::cli
