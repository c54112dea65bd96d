// The demo's upload step: packing the sample files, a rename, a refused
// rename, then the archives and records as the host finds them.
#include <cstdio>
#include <string>

#include "cli/demo.h"
#include "platform/platform.h"

namespace torvex::cli {

namespace {

// `arj l` on an upload archive, when the arj program is installed here.
void listWithArj(Demo& demo, const std::string& archive) {
  const std::string path = platform().hostPath(archive.c_str());
  if (path.find('\'') != std::string::npos) return;
  std::fflush(stdout);
  if (platform().runCommand("command -v arj >/dev/null 2>&1") != 0) {
    demo.note("(the arj program is not installed here, so it cannot list " + archive + ")");
    return;
  }
  demo.note("arj l " + archive + ":");
  std::fflush(stdout);
  const std::string command = "arj l '" + path + "' | sed -n '/^Filename/,$s/^/    | /p'";
  if (platform().runCommand(command.c_str()) != 0) demo.fail("arj could not list " + archive);
}

}  // namespace

void demoUpload(Demo& demo) {
  demo.step("Pack the files for sending",
             "geraArquivoUpload expands the FI and packs each matching file alone into\n"
             "\"F<number>_<name>_<ext>.ARJ\" in the outgoing work area, has the archive\n"
             "library test it, writes the two-line record \"F<number>_<name>_<ext>.DAT\"\n"
             "beside it, and only then deletes the source. Names are lower-cased for the\n"
             "archive; a \"(\" in a found name is kept.");
  demo.writeFile(demo.data() + "/NOTAS(2).TXT", "Notes, second edition\r\n");
  if (demo.geraArquivoUpload(demo.root(), demo.data() + "\\*.*", "", 1) != 0) {
    demo.fail("the upload did not answer 0");
  }
  demo.listTree(demo.data());

  demo.step("Pack with a rename expression",
             "With a rename expression the packed file is moved instead of deleted: \"*\"\n"
             "keeps the found name's base, here with the extension \"bak\". When the\n"
             "expression's directory does not exist the answer is 2 and the file stays.");
  const std::string sentFolder = demo.data() + "/Enviados";
  demo.makeDirectory(sentFolder);
  demo.writeFile(demo.data() + "/pedido.txt", "Order 1234\r\n");
  if (demo.geraArquivoUpload(demo.root(), demo.data() + "/pedido.txt", sentFolder + "/*.bak", 2) !=
      0) {
    demo.fail("the upload with a rename did not answer 0");
  }
  if (demo.geraArquivoUpload(demo.root(), demo.data() + "/pedido*.txt",
                             demo.data() + "/Falta/*.*", 2) != 0) {
    demo.fail("nothing matched, yet the answer was not 0");
  }
  demo.writeFile(demo.data() + "/fatura.txt", "Invoice 77\r\n");
  if (demo.geraArquivoUpload(demo.root(), demo.data() + "/fatura.txt",
                             demo.data() + "/Falta/*.*", 3) != 2) {
    demo.fail("a missing rename directory did not answer 2");
  }
  demo.listTree(demo.data());

  demo.step("The archives waiting to be sent",
             "The host lists them with recuperaArquivoUpload 1, 2, ... until the null\n"
             "string. Each record holds the source path and its local last-write time,\n"
             "every line ending in CR LF; the arj program reads the archives.");
  const int count = demo.listUploadArchives();
  if (count != 4) demo.fail("expected 4 archives, listed " + std::to_string(count));
  for (int i = 1; i <= count; ++i) {
    const std::string name = demo.recuperaArquivoUpload(demo.root(), i);
    const std::string archive = demo.inRoot("/OUTTRAY/WORK/") + name;
    demo.showFile(archive.substr(0, archive.size() - 3) + "DAT");
    listWithArj(demo, archive);
  }
}

}  // namespace torvex::cli
