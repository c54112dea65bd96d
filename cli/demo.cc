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

std::string aspas(std::string_view texto) { return "\"" + std::string(texto) + "\""; }

void mostraChamada(const std::string& chamada, const std::string& resultado) {
  std::printf("  > %s -> %s\n", chamada.c_str(), resultado.c_str());
}

std::string resultadoTexto(BSTR bstr) {
  Bstr dono(bstr);
  return utf8DeBstr(dono.get());
}

std::string mostraTexto(const std::string& texto) {
  return texto.empty() ? "null string" : aspas(texto);
}

}  // namespace

Demo::Demo(std::string unidade) : raiz_(unidade + "/Troca"), dados_(unidade + "/Dados") {}

std::string Demo::naRaiz(std::string_view relativo) const { return raiz_ + std::string(relativo); }

void Demo::passo(std::string_view titulo, std::string_view explicacao) {
  std::printf("\n== Step %d: %.*s ==\n", ++passos_, static_cast<int>(titulo.size()),
              titulo.data());
  nota(explicacao);
}

void Demo::nota(std::string_view texto) {
  size_t inicio = 0;
  while (inicio <= texto.size()) {
    size_t fim = std::min(texto.find('\n', inicio), texto.size());
    std::printf("  %.*s\n", static_cast<int>(fim - inicio), texto.data() + inicio);
    inicio = fim + 1;
  }
}

LONG Demo::criaInfraEstrutura(std::string_view raiz) {
  LONG r = Controlador::criaInfraEstrutura(bstrDeUtf8(raiz).get());
  mostraChamada("criaInfraEstrutura(" + aspas(raiz) + ")", std::to_string(r));
  return r;
}

std::string Demo::recuperaArquivoUpload(std::string_view raiz, LONG lIndice) {
  std::string r =
      resultadoTexto(Controlador::recuperaArquivoUpload(bstrDeUtf8(raiz).get(), lIndice));
  mostraChamada("recuperaArquivoUpload(" + aspas(raiz) + ", " + std::to_string(lIndice) + ")",
                mostraTexto(r));
  return r;
}

LONG Demo::existeArquivo(std::string_view nome) {
  LONG r = Controlador::existeArquivo(bstrDeUtf8(nome).get());
  mostraChamada("existeArquivo(" + aspas(nome) + ")",
                std::to_string(r) + (r == 0 ? " (there)" : " (not there)"));
  return r;
}

LONG Demo::deletaArquivo(std::string_view nome) {
  LONG r = Controlador::deletaArquivo(bstrDeUtf8(nome).get());
  mostraChamada("deletaArquivo(" + aspas(nome) + ")",
                std::to_string(r) + (r == 0 ? " (deleted)" : " (not deleted)"));
  return r;
}

LONG Demo::geraArquivoUpload(std::string_view raiz, std::string_view fi, std::string_view fiRename,
                             LONG lIndice) {
  LONG r = Controlador::geraArquivoUpload(bstrDeUtf8(raiz).get(), bstrDeUtf8(fi).get(),
                                          bstrDeUtf8(fiRename).get(), lIndice);
  mostraChamada("geraArquivoUpload(" + aspas(raiz) + ", " + aspas(fi) + ", " + aspas(fiRename) +
                    ", " + std::to_string(lIndice) + ")",
                std::to_string(r));
  return r;
}

std::string Demo::recuperaControleDownload(std::string_view raiz) {
  std::string r = resultadoTexto(Controlador::recuperaControleDownload(bstrDeUtf8(raiz).get()));
  mostraChamada("recuperaControleDownload(" + aspas(raiz) + ")", mostraTexto(r));
  return r;
}

LONG Demo::disponibilizaArquivos(std::string_view raiz) {
  LONG r = Controlador::disponibilizaArquivos(bstrDeUtf8(raiz).get());
  mostraChamada("disponibilizaArquivos(" + aspas(raiz) + ")", std::to_string(r));
  return r;
}

int Demo::listaArquivosUpload() {
  int n = 0;
  while (!recuperaArquivoUpload(raiz_, n + 1).empty()) ++n;
  return n;
}

bool Demo::criaDiretorio(std::string_view caminho) {
  std::string nome(caminho);
  bool ok = platform().createDirectory(nome.c_str());
  if (ok) {
    std::printf("  + made %s/\n", nome.c_str());
  } else {
    falhou("could not make " + nome);
  }
  return ok;
}

bool Demo::escreveArquivo(std::string_view caminho, std::string_view conteudo) {
  std::string nome(caminho);
  File f(nome.c_str(), OpenMode::Write);
  bool ok = f && f.writeAll(conteudo.data(), conteudo.size()) && f.close();
  if (ok) {
    std::printf("  + wrote %s (%zu bytes)\n", nome.c_str(), conteudo.size());
  } else {
    falhou("could not write " + nome);
  }
  return ok;
}

void Demo::mostraArquivo(std::string_view caminho) {
  std::string nome(caminho);
  File f(nome.c_str(), OpenMode::Read);
  if (!f) {
    falhou("could not open " + nome);
    return;
  }
  std::printf("  %s:\n", nome.c_str());
  std::string conteudo;
  char bloco[4096];
  for (long n; (n = f.read(bloco, sizeof bloco)) > 0;) conteudo.append(bloco, static_cast<size_t>(n));
  std::string linha;
  for (char c : conteudo) {
    if (c == '\r') {
      linha += "<CR>";
    } else if (c == '\n') {
      std::printf("    | %s<LF>\n", linha.c_str());
      linha.clear();
    } else {
      linha.push_back(c);
    }
  }
  if (!linha.empty()) std::printf("    | %s\n", linha.c_str());
}

void Demo::listaArvore(std::string_view caminho) {
  std::printf("  %.*s\n", static_cast<int>(caminho.size()), caminho.data());
  listaNivel(std::string(caminho), 1);
}

void Demo::listaNivel(const std::string& caminho, int profundidade) {
  std::vector<DirEntry> entradas;
  {
    DirSearch busca((caminho + "/*").c_str());
    for (bool ha = busca.found(); ha; ha = busca.next()) {
      const std::string& nome = busca.entry().name;
      if (nome != "." && nome != "..") entradas.push_back(busca.entry());
    }
  }
  for (const DirEntry& e : entradas) {
    // A link is shown, never followed, so a loop cannot trap the listing.
    bool diretorio = (e.attributes & kAttrDirectory) != 0 && !(e.attributes & kAttrReparsePoint);
    std::printf("  %*s%s%s", profundidade * 2, "", e.name.c_str(), diretorio ? "/" : "");
    if (diretorio) {
      std::printf("\n");
      listaNivel(caminho + "/" + e.name, profundidade + 1);
    } else {
      std::printf("  (%llu bytes)\n", static_cast<unsigned long long>(e.size));
    }
  }
}

void Demo::falhou(std::string_view motivo) {
  ++falhas_;
  std::printf("  !! %.*s\n", static_cast<int>(motivo.size()), motivo.data());
}

}  // namespace torvex::cli
