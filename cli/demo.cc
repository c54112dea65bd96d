#include "cli/demo.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/bstr.h"
#include "component/controlador.h"
#include "platform/file.h"

namespace torvex::cli {

namespace {

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

void showCall(const std::string& call, const std::string& result) {
  std::printf("  > %s -> %s\n", call.c_str(), result.c_str());
}

std::string resultadoTexto(BSTR bstr) {
  Bstr dono(bstr);
  return textFromBstr(dono.get());
}

std::string mostraTexto(const std::string& text) {
  return text.empty() ? "null string" : quoted(text);
}

}  // namespace

Demo::Demo(std::string drive) : root_(drive + "/Troca"), data_(drive + "/Dados") {}

std::string Demo::inRoot(std::string_view relative) const { return root_ + std::string(relative); }

void Demo::step(std::string_view title, std::string_view explanation) {
  std::printf("\n== Step %d: %.*s ==\n", ++steps_, static_cast<int>(title.size()),
              title.data());
  note(explanation);
}

void Demo::note(std::string_view text) {
  size_t inicio = 0;
  while (inicio <= text.size()) {
    size_t end = std::min(text.find('\n', inicio), text.size());
    std::printf("  %.*s\n", static_cast<int>(end - inicio), text.data() + inicio);
    inicio = end + 1;
  }
}

LONG Demo::criaInfraEstrutura(std::string_view root) {
  LONG r = Controlador::criaInfraEstrutura(bstrFromText(root).get());
  showCall("criaInfraEstrutura(" + quoted(root) + ")", std::to_string(r));
  return r;
}

std::string Demo::recuperaArquivoUpload(std::string_view root, LONG lIndice) {
  std::string r =
      resultadoTexto(Controlador::recuperaArquivoUpload(bstrFromText(root).get(), lIndice));
  showCall("recuperaArquivoUpload(" + quoted(root) + ", " + std::to_string(lIndice) + ")",
                mostraTexto(r));
  return r;
}

LONG Demo::existeArquivo(std::string_view name) {
  LONG r = Controlador::existeArquivo(bstrFromText(name).get());
  showCall("existeArquivo(" + quoted(name) + ")",
                std::to_string(r) + (r == 0 ? " (there)" : " (not there)"));
  return r;
}

LONG Demo::deletaArquivo(std::string_view name) {
  LONG r = Controlador::deletaArquivo(bstrFromText(name).get());
  showCall("deletaArquivo(" + quoted(name) + ")",
                std::to_string(r) + (r == 0 ? " (deleted)" : " (not deleted)"));
  return r;
}

LONG Demo::geraArquivoUpload(std::string_view root, std::string_view fi, std::string_view fiRename,
                             LONG lIndice) {
  LONG r = Controlador::geraArquivoUpload(bstrFromText(root).get(), bstrFromText(fi).get(),
                                          bstrFromText(fiRename).get(), lIndice);
  showCall("geraArquivoUpload(" + quoted(root) + ", " + quoted(fi) + ", " + quoted(fiRename) +
                    ", " + std::to_string(lIndice) + ")",
                std::to_string(r));
  return r;
}

std::string Demo::recuperaControleDownload(std::string_view root) {
  std::string r = resultadoTexto(Controlador::recuperaControleDownload(bstrFromText(root).get()));
  showCall("recuperaControleDownload(" + quoted(root) + ")", mostraTexto(r));
  return r;
}

LONG Demo::disponibilizaArquivos(std::string_view root) {
  LONG r = Controlador::disponibilizaArquivos(bstrFromText(root).get());
  showCall("disponibilizaArquivos(" + quoted(root) + ")", std::to_string(r));
  return r;
}

int Demo::listUploadArchives() {
  int n = 0;
  while (!recuperaArquivoUpload(root_, n + 1).empty()) ++n;
  return n;
}

bool Demo::makeDirectory(std::string_view path) {
  std::string name(path);
  bool ok = platform().createDirectory(name.c_str());
  if (ok) {
    std::printf("  + made %s/\n", name.c_str());
  } else {
    fail("could not make " + name);
  }
  return ok;
}

bool Demo::writeFile(std::string_view path, std::string_view content) {
  std::string name(path);
  File f(name.c_str(), OpenMode::Write);
  bool ok = f && f.writeAll(content.data(), content.size()) && f.close();
  if (ok) {
    std::printf("  + wrote %s (%zu bytes)\n", name.c_str(), content.size());
  } else {
    fail("could not write " + name);
  }
  return ok;
}

void Demo::showFile(std::string_view path) {
  std::string name(path);
  File f(name.c_str(), OpenMode::Read);
  if (!f) {
    fail("could not open " + name);
    return;
  }
  std::printf("  %s:\n", name.c_str());
  std::string content;
  char block[4096];
  for (long n; (n = f.read(block, sizeof block)) > 0;) content.append(block, static_cast<size_t>(n));
  std::string line;
  for (char c : content) {
    if (c == '\r') {
      line += "<CR>";
    } else if (c == '\n') {
      std::printf("    | %s<LF>\n", line.c_str());
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) std::printf("    | %s\n", line.c_str());
}

void Demo::listTree(std::string_view path) {
  std::printf("  %.*s\n", static_cast<int>(path.size()), path.data());
  listLevel(std::string(path), 1);
}

void Demo::listLevel(const std::string& path, int depth) {
  std::vector<DirEntry> entries;
  {
    DirSearch search((path + "/*").c_str());
    for (bool ha = search.found(); ha; ha = search.next()) {
      const std::string& name = search.entry().name;
      if (name != "." && name != "..") entries.push_back(search.entry());
    }
  }
  for (const DirEntry& e : entries) {
    // A link is shown, never followed, so a loop cannot trap the listing.
    bool diretorio = (e.attributes & kAttrDirectory) != 0 && !(e.attributes & kAttrReparsePoint);
    std::printf("  %*s%s%s", depth * 2, "", e.name.c_str(), diretorio ? "/" : "");
    if (diretorio) {
      std::printf("\n");
      listLevel(path + "/" + e.name, depth + 1);
    } else {
      std::printf("  (%llu bytes)\n", static_cast<unsigned long long>(e.size));
    }
  }
}

void Demo::fail(std::string_view reason) {
  ++failures_;
  std::printf("  !! %.*s\n", static_cast<int>(reason.size()), reason.data());
}

}  // namespace torvex::cli
