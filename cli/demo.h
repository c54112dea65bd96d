// What `torvex demo` offers each of its steps: the fresh tray root, the seven
// methods called with UTF-8 text and echoed with their results, and helpers
// to drop, show and list files. The upload and download steps live in
// demo_upload.cc and demo_download.cc and use only this.
#pragma once

#include <string>
#include <string_view>

#include "platform/com.h"

namespace torvex::cli {

class Demo {
 public:
  // `unidade` is the drive-letter path of an empty scratch directory.
  explicit Demo(std::string unidade);

  const std::string& raiz() const { return raiz_; }          // the tray root, "T:/Troca"
  const std::string& dados() const { return dados_; }        // the host's files, "T:/Dados"
  std::string naRaiz(std::string_view relativo) const;       // raiz() + relativo

  // Starts a numbered step: a title and a short explanation.
  void passo(std::string_view titulo, std::string_view explicacao);
  // An indented line of commentary.
  void nota(std::string_view texto);

  // The methods, each call printed with its arguments and result. A string
  // result comes back as UTF-8; the null string as "" (printed as null).
  LONG criaInfraEstrutura(std::string_view raiz);
  std::string recuperaArquivoUpload(std::string_view raiz, LONG lIndice);
  LONG existeArquivo(std::string_view nome);
  LONG deletaArquivo(std::string_view nome);
  LONG geraArquivoUpload(std::string_view raiz, std::string_view fi, std::string_view fiRename,
                         LONG lIndice);
  std::string recuperaControleDownload(std::string_view raiz);
  LONG disponibilizaArquivos(std::string_view raiz);

  // Calls recuperaArquivoUpload with 1, 2, ... until the null string, as a
  // host does; returns how many archives it listed.
  int listaArquivosUpload();

  // Files through the platform layer (paths as the methods take them).
  bool criaDiretorio(std::string_view caminho);
  bool escreveArquivo(std::string_view caminho, std::string_view conteudo);
  void mostraArquivo(std::string_view caminho);  // its lines, CR LF made visible
  void listaArvore(std::string_view caminho);   // every entry below, with sizes

  // Set by a step that saw something go wrong; the demo then exits 1.
  void falhou(std::string_view motivo);
  bool houveFalha() const { return falhas_ > 0; }

 private:
  void listaNivel(const std::string& caminho, int profundidade);
  std::string raiz_, dados_;
  int passos_ = 0, falhas_ = 0;
};

// "D0000n.ARJ" in the incoming work area holding the descriptor "D0000n.FN"
// (the FI, the demo's stamp and the code) and the data "D0000n.ARQ".
bool montaRecebido(Demo& demo, int numero, const std::string& fi, const char* codigo,
                   const std::string& dados);

// The upload, download and status steps; each explains itself.
void demoUpload(Demo& demo);
void demoDownload(Demo& demo);
void demoStatus(Demo& demo);

}  // namespace torvex::cli
