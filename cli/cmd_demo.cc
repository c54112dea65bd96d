// `torvex demo`: a full round trip in a fresh temporary tray tree, each step
// explained and every call shown with its result.
#include <cstdio>
#include <cstring>

#include "cli/demo.h"
#include "cli/subcommands.h"
#include "cli/usage.h"
#include "platform/platform.h"

namespace torvex::cli {

namespace {

// The drive letter the scratch directory gets where drives are simulated.
constexpr char kDrive = 'T';

void passosDaArvore(Demo& demo) {
  demo.step("Create the tray tree",
             "criaInfraEstrutura makes every directory of the root path, then the nine\n"
             "fixed directories below it. Backslashes are accepted and become \"/\".");
  std::string withBackslashes = demo.root();
  for (char& c : withBackslashes) {
    if (c == '/') c = '\\';
  }
  if (demo.criaInfraEstrutura(withBackslashes) != 0) demo.fail("the tray tree was not created");
  demo.listTree(demo.root());

  demo.step("Create it again, and roots it refuses",
             "A second call changes nothing and still answers 0. A root must start with a\n"
             "drive letter and \":\", on a drive that exists; otherwise the answer is 1.");
  if (demo.criaInfraEstrutura(demo.root()) != 0) demo.fail("a second call failed");
  if (demo.criaInfraEstrutura("\\\\servidor\\pasta") != 1) demo.fail("a network root was taken");
  if (demo.criaInfraEstrutura("Q:/Troca") != 1) demo.fail("a missing drive was taken");
}

void fileSteps(Demo& demo) {
  demo.step("Files to send",
             "The host's own files live outside the tray tree. existeArquivo answers 0 when\n"
             "something matches (wildcards and directories count) and 1 when nothing does.");
  demo.makeDirectory(demo.data());
  demo.writeFile(demo.data() + "/relat.txt", "Monthly report\r\nTotal: 42\r\n");
  demo.writeFile(demo.data() + "/vendas.dbf", "sales table");
  if (demo.existeArquivo(demo.data() + "/relat.txt") != 0) demo.fail("a file was not found");
  if (demo.existeArquivo(demo.data() + "/*.TXT") != 0) demo.fail("a wildcard found nothing");
  if (demo.existeArquivo(demo.data() + "/") != 0) demo.fail("a directory was not found");
  if (demo.existeArquivo(demo.data() + "/nada.txt") != 1) demo.fail("a missing file was found");

  demo.step("Delete a file",
             "deletaArquivo deletes one file and answers 0; when nothing was deleted\n"
             "(already gone, a directory, a wildcard) it answers -1.");
  demo.writeFile(demo.data() + "/rascunho.tmp", "draft");
  if (demo.deletaArquivo(demo.data() + "/rascunho.tmp") != 0) demo.fail("the delete failed");
  if (demo.deletaArquivo(demo.data() + "/rascunho.tmp") != -1) demo.fail("deleted twice");
}

void passoDoControle(Demo& demo) {
  demo.step("What the host collects",
             "recuperaControleDownload gives the download control file's path when it\n"
             "exists, else the null string. The host reads that file and may delete it,\n"
             "as it sends and then deletes the upload archives and their records.");
  demo.recuperaControleDownload(demo.root());
  demo.note("The tray tree at the end:");
  demo.listTree(demo.root());
}

}  // namespace

int runDemo(std::span<char* const> args) {
  bool keep = args.size() == 1 && std::strcmp(args[0], "--keep") == 0;
  if (args.size() > (keep ? 1u : 0u)) return usageError("demo takes only --keep");

  ScratchDirectory folder;
  if (!platform().createScratchDirectory(kDrive, folder)) {
    std::fprintf(stderr, "torvex: could not make a temporary directory for the demo\n");
    return kExitFailure;
  }
  std::printf("TORVEX demo: a client's tray tree, from creation to delivered files.\n"
              "Working in %s, seen by the component as drive %s\n",
              folder.hostPath.c_str(), folder.drivePath.c_str());

  Demo demo(folder.drivePath);
  passosDaArvore(demo);
  fileSteps(demo);
  demoUpload(demo);
  demoDownload(demo);
  demoStatus(demo);
  passoDoControle(demo);

  if (keep) {
    std::printf("\nThe tree stays in %s\n", folder.hostPath.c_str());
  } else if (!platform().removeScratchDirectory(folder)) {
    std::fprintf(stderr, "torvex: could not remove %s\n", folder.hostPath.c_str());
  }
  std::printf("\n%s\n", demo.failed() ? "Demo finished with failures (marked !!)."
                                           : "Demo finished: every step answered as expected.");
  return demo.failed() ? kExitFailure : kExitOk;
}

}  // namespace torvex::cli
