// What `torvex demo` offers each of its steps: the fresh tray root, the seven
// methods called with UTF-8 text and echoed with their results, and helpers
// to drop, show and list files. The upload and download steps live in
// demo_upload.cc and demo_download.cc and use only this.
#pragma once

#include <string>
#include <string_view>

#include "com/com.h"

namespace torvex::cli {

class Demo {
 public:
  // `drive` is the drive-letter path of an empty scratch directory.
  explicit Demo(std::string drive);

  const std::string& root() const { return root_; }          // the tray root, "T:/Troca"
  const std::string& data() const { return data_; }        // the host's files, "T:/Dados"
  std::string inRoot(std::string_view relative) const;       // root() + relative

  // Starts a numbered step: a title and a short explanation.
  void step(std::string_view title, std::string_view explanation);
  // An indented line of commentary.
  void note(std::string_view text);

  // The methods, each call printed with its arguments and result. A string
  // result comes back as UTF-8; the null string as "" (printed as null).
  LONG criaInfraEstrutura(std::string_view root);
  std::string recuperaArquivoUpload(std::string_view root, LONG lIndice);
  LONG existeArquivo(std::string_view name);
  LONG deletaArquivo(std::string_view name);
  LONG geraArquivoUpload(std::string_view root, std::string_view fi, std::string_view fiRename,
                         LONG lIndice);
  std::string recuperaControleDownload(std::string_view root);
  LONG disponibilizaArquivos(std::string_view root);

  // Calls recuperaArquivoUpload with 1, 2, ... until the null string, as a
  // host does; returns how many archives it listed.
  int listUploadArchives();

  // Files through the platform layer (paths as the methods take them).
  bool makeDirectory(std::string_view path);
  bool writeFile(std::string_view path, std::string_view content);
  void showFile(std::string_view path);  // its lines, CR LF made visible
  void listTree(std::string_view path);   // every entry below, with sizes

  // Set by a step that saw something go wrong; the demo then exits 1.
  void fail(std::string_view reason);
  bool failed() const { return failures_ > 0; }

 private:
  void listLevel(const std::string& path, int depth);
  std::string root_, data_;
  int steps_ = 0, failures_ = 0;
};

// "D0000n.ARJ" in the incoming work area holding the descriptor "D0000n.FN"
// (the FI, the demo's stamp and the code) and the data "D0000n.ARQ".
bool makeReceived(Demo& demo, int number, const std::string& fi, const char* code,
                  const std::string& data);

// The upload, download and status steps; each explains itself.
void demoUpload(Demo& demo);
void demoDownload(Demo& demo);
void demoStatus(Demo& demo);

}  // namespace torvex::cli
