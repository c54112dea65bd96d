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
  const char* code;
  const char* explanation;
};

// Four deliveries to one destination: the first creates it, then a
// replacement, an append and a numbered message beside it.
const Recebido kReceived[] = {
    {"M", "new destination: moved there (the code does not matter yet)"},
    {"R", "destination exists, code R: replaced"},
    {"A", "destination exists, code A: appended"},
    {"M", "destination exists, code M: a numbered message beside it"},
};

std::string readFile(const std::string& path) {
  File f(path.c_str(), OpenMode::Read);
  std::string content;
  char block[4096];
  for (long n; f && (n = f.read(block, sizeof block)) > 0;) {
    content.append(block, static_cast<size_t>(n));
  }
  return content;
}

std::vector<std::string> listNames(const std::string& pattern) {
  std::vector<std::string> names;
  DirSearch search(pattern.c_str());
  for (bool ha = search.found(); ha; ha = search.next()) {
    if (!(search.entry().attributes & kAttrDirectory)) names.push_back(search.entry().name);
  }
  return names;
}

// The contents packed in the upload archives, as the service would send them
// back; sample texts where there are fewer than needed.
std::vector<std::string> returnedContents(Demo& demo) {
  std::vector<std::string> contents;
  const std::string work = demo.inRoot("/Outtray/Work/");
  for (const std::string& archive : listNames(work + "F*_*.ARJ")) {
    if (contents.size() == std::size(kReceived)) break;
    const std::string folder = demo.inRoot("/TMP/volta" + std::to_string(contents.size()));
    platform().createDirectory(folder.c_str());
    const std::string command = "e \"" + work + archive + "\" \"" + folder + "/\" -y";
    if (ExecArj(command.c_str(), 0) != 0) continue;
    for (const std::string& member : listNames(folder + "/*")) {
      contents.push_back(readFile(folder + "/" + member));
      platform().deleteFile((folder + "/" + member).c_str());
    }
    platform().removeDirectory(folder.c_str());
  }
  for (size_t i = contents.size(); i < std::size(kReceived); ++i) {
    contents.push_back("sample payload " + std::to_string(i + 1) + "\r\n");
  }
  return contents;
}

}  // namespace

// "D0000n.ARJ" in the incoming work area holding the descriptor "D0000n.FN"
// and the data "D0000n.ARQ", packed with our own archive library.
bool makeReceived(Demo& demo, int number, const std::string& fi, const char* code,
                  const std::string& data) {
  char base[16];
  std::snprintf(base, sizeof base, "D%05d", number);
  const std::string staging = demo.inRoot("/TMP/") + base;
  const std::string archive = demo.inRoot("/Intray/Work/") + base + ".ARJ";
  if (!demo.writeFile(staging + ".FN", fi + "\r\nABCDEF.GH+202612061504+\r\n" + code + "\r\n") ||
      !demo.writeFile(staging + ".ARQ", data)) {
    return false;
  }
  bool ok = true;
  for (const char* extension : {".FN", ".ARQ"}) {
    const std::string command = "a \"" + archive + "\" \"" + staging + extension + "\"";
    ok = ok && ExecArj(command.c_str(), 0) == 0;
    platform().deleteFile((staging + extension).c_str());
  }
  if (!ok) demo.fail("could not pack " + archive);
  return ok;
}

void demoDownload(Demo& demo) {
  demo.step("Download",
             "The upload archives come back from the service as received archives\n"
             "\"D?????.ARJ\", each holding a name descriptor (FI, stamp, disposition code)\n"
             "and the data. disponibilizaArquivos extracts each one, expands its FI with\n"
             "the root (&QVDIR) and the stamp (&PAA&PMM&PDD = 20261206), places the data\n"
             "and appends a record to \"ContDown.dat\". One archive per pass, to show\n"
             "each code in turn.");
  // Under the root, named through &QVDIR as a service names it, so that the
  // FI fits the descriptor's line of 79 characters wherever the demo's
  // folder is (on Windows, in the user's long temporary folder).
  const std::string destino = demo.inRoot("/Recebidos");
  platform().createDirectory(destino.c_str());
  const std::string fi = "&QVDIR/Recebidos/relatorio_&PAA&PMM&PDD.txt";
  const std::vector<std::string> contents = returnedContents(demo);
  for (size_t i = 0; i < std::size(kReceived); ++i) {
    demo.note("");
    demo.note(kReceived[i].explanation);
    if (!makeReceived(demo, static_cast<int>(i + 1), fi, kReceived[i].code, contents[i])) return;
    if (demo.disponibilizaArquivos(demo.root()) != 0) demo.fail("the archive was not delivered");
  }
  demo.note("");
  demo.listTree(destino);
  demo.showFile(destino + "/relatorio_20261206.txt");  // replaced, then appended to
  demo.showFile(destino + "/M00001.QVX");
  const std::string controle = demo.recuperaControleDownload(demo.root());
  if (controle.empty()) {
    demo.fail("no download control file");
    return;
  }
  demo.showFile(controle);
}

}  // namespace torvex::cli
