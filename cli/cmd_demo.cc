// `torvex demo`: a full round trip in a fresh temporary tray tree, each step
// explained and every call shown with its result.
#include <cstdio>
#include <cstring>

#include "cli/demo.h"
#include "cli/subcomandos.h"
#include "cli/uso.h"
#include "platform/scratch.h"

namespace torvex::cli {

namespace {

// The drive letter the scratch directory gets where drives are simulated.
constexpr char kUnidade = 'T';

void passosDaArvore(Demo& demo) {
  demo.passo("Create the tray tree",
             "criaInfraEstrutura makes every directory of the root path, then the nine\n"
             "fixed directories below it. Backslashes are accepted and become \"/\".");
  std::string comBarras = demo.raiz();
  for (char& c : comBarras) {
    if (c == '/') c = '\\';
  }
  if (demo.criaInfraEstrutura(comBarras) != 0) demo.falhou("the tray tree was not created");
  demo.listaArvore(demo.raiz());

  demo.passo("Create it again, and roots it refuses",
             "A second call changes nothing and still answers 0. A root must start with a\n"
             "drive letter and \":\", on a drive that exists; otherwise the answer is 1.");
  if (demo.criaInfraEstrutura(demo.raiz()) != 0) demo.falhou("a second call failed");
  if (demo.criaInfraEstrutura("\\\\servidor\\pasta") != 1) demo.falhou("a network root was taken");
  if (demo.criaInfraEstrutura("Q:/Troca") != 1) demo.falhou("a missing drive was taken");
}

void passosDosArquivos(Demo& demo) {
  demo.passo("Files to send",
             "The host's own files live outside the tray tree. existeArquivo answers 0 when\n"
             "something matches (wildcards and directories count) and 1 when nothing does.");
  demo.criaDiretorio(demo.dados());
  demo.escreveArquivo(demo.dados() + "/relat.txt", "Monthly report\r\nTotal: 42\r\n");
  demo.escreveArquivo(demo.dados() + "/vendas.dbf", "sales table");
  if (demo.existeArquivo(demo.dados() + "/relat.txt") != 0) demo.falhou("a file was not found");
  if (demo.existeArquivo(demo.dados() + "/*.TXT") != 0) demo.falhou("a wildcard found nothing");
  if (demo.existeArquivo(demo.dados() + "/") != 0) demo.falhou("a directory was not found");
  if (demo.existeArquivo(demo.dados() + "/nada.txt") != 1) demo.falhou("a missing file was found");

  demo.passo("Delete a file",
             "deletaArquivo deletes one file and answers 0; when nothing was deleted\n"
             "(already gone, a directory, a wildcard) it answers -1.");
  demo.escreveArquivo(demo.dados() + "/rascunho.tmp", "draft");
  if (demo.deletaArquivo(demo.dados() + "/rascunho.tmp") != 0) demo.falhou("the delete failed");
  if (demo.deletaArquivo(demo.dados() + "/rascunho.tmp") != -1) demo.falhou("deleted twice");
}

void passoDoControle(Demo& demo) {
  demo.passo("What the host collects",
             "recuperaControleDownload gives the download control file's path when it\n"
             "exists, else the null string. The host reads that file and may delete it,\n"
             "as it sends and then deletes the upload archives and their records.");
  demo.recuperaControleDownload(demo.raiz());
  demo.nota("The tray tree at the end:");
  demo.listaArvore(demo.raiz());
}

}  // namespace

int executaDemo(std::span<char* const> args) {
  bool manter = args.size() == 1 && std::strcmp(args[0], "--keep") == 0;
  if (args.size() > (manter ? 1u : 0u)) return erroDeUso("demo takes only --keep");

  ScratchDirectory pasta;
  if (!createScratchDirectory(kUnidade, pasta)) {
    std::fprintf(stderr, "torvex: could not make a temporary directory for the demo\n");
    return kSaidaFalha;
  }
  std::printf("TORVEX demo: a client's tray tree, from creation to delivered files.\n"
              "Working in %s, seen by the component as drive %s\n",
              pasta.hostPath.c_str(), pasta.drivePath.c_str());

  Demo demo(pasta.drivePath);
  passosDaArvore(demo);
  passosDosArquivos(demo);
  demoUpload(demo);
  demoDownload(demo);
  demoStatus(demo);
  passoDoControle(demo);

  if (manter) {
    std::printf("\nThe tree stays in %s\n", pasta.hostPath.c_str());
  } else if (!removeScratchDirectory(pasta)) {
    std::fprintf(stderr, "torvex: could not remove %s\n", pasta.hostPath.c_str());
  }
  std::printf("\n%s\n", demo.houveFalha() ? "Demo finished with failures (marked !!)."
                                           : "Demo finished: every step answered as expected.");
  return demo.houveFalha() ? kSaidaFalha : kSaidaOk;
}

}  // namespace torvex::cli
