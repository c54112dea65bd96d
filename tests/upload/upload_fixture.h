// A tray tree under C:/T and a source directory C:/dados in a fresh temporary
// drive, with helpers to arrange source files and to inspect what a call left
// in the outgoing work area.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "arj/exec_arj.h"
#include "platform/platform.h"
#include "tests/support/fixed_zone.h"
#include "tests/support/temp_tree.h"
#include "upload/gera_arquivo_upload.h"
#include "platform/scoped_platform.h"

namespace torvex::testing {

// Wraps the live platform: `recusa` decides which operations fail ("open",
// "delete", "attributes" with their path), `antes` runs before each of them,
// and the targets of replaceFile are recorded in order.
class SelectivePlatform : public ScopedPlatform {
 public:

  std::function<bool(std::string_view op, std::string_view path)> recusa;
  std::function<void(std::string_view op, std::string_view path)> antes;
  std::vector<std::string> publicados;

  FileHandle* openFile(const char* p, OpenMode m) override {
    return passa("open", p) ? ForwardingPlatform::openFile(p, m) : nullptr;
  }
  bool deleteFile(const char* p) override {
    return passa("delete", p) && ForwardingPlatform::deleteFile(p);
  }
  uint32_t fileAttributes(const char* p) override {
    return passa("attributes", p) ? ForwardingPlatform::fileAttributes(p) : kInvalidAttributes;
  }
  bool replaceFile(const char* a, const char* b) override {
    publicados.emplace_back(b);
    return ForwardingPlatform::replaceFile(a, b);
  }

 private:
  bool passa(std::string_view op, std::string_view path) {
    if (antes) antes(op, path);
    return !recusa || !recusa(op, path);
  }
};

class UploadTest : public ::testing::Test {
 protected:
  static constexpr const char* kRaiz = "C:/T";
  static constexpr const char* kTrabalho = "T/OUTTRAY/WORK";

  void SetUp() override { novaArvore(); }

  // A fresh drive C: with the tray's work area and an empty C:/dados.
  void novaArvore() {
    arvore_.reset();
    arvore_.emplace();
    arvore().mkdir(kTrabalho);
    arvore().mkdir("T/DATA");
    arvore().mkdir("dados");
  }
  TempTree& arvore() { return *arvore_; }
  const TempTree& arvore() const { return *arvore_; }

  void TearDown() override { arvore_.reset(); }

  LONG gera(const char* fi, const char* renomeia = "", LONG indice = 1) {
    return geraArquivoUpload(kRaiz, fi, renomeia, indice);
  }

  // A source file, its last write at the given UTC time.
  void escreve(std::string_view rel, std::string_view bytes,
               int64_t utc = 1796490239 /* 2026-12-05 17:03:59 UTC */) {
    arvore().write(rel, bytes);
    namespace ch = std::chrono;
    std::filesystem::last_write_time(
        arvore().path(rel), ch::file_clock::from_sys(ch::sys_seconds(ch::seconds(utc))));
  }

  std::set<std::string> nomesEm(std::string_view rel) const {
    std::set<std::string> nomes;
    for (const auto& e : std::filesystem::directory_iterator(arvore().path(rel))) {
      nomes.insert(e.path().filename().string());
    }
    return nomes;
  }
  std::set<std::string> trabalho() const { return nomesEm(kTrabalho); }

  // The one member of an upload archive, extracted by the archive library;
  // "<fails>" when the archive does not extract.
  std::string conteudoArquivado(std::string_view nomeArquivo) {
    arvore().mkdir("extraido");
    for (const auto& e : std::filesystem::directory_iterator(arvore().path("extraido"))) {
      std::filesystem::remove(e.path());
    }
    std::string comando = "e \"C:/" + std::string(kTrabalho) + "/" + std::string(nomeArquivo) +
                          "\" \"C:/extraido\" -y";
    if (ExecArj(comando.c_str(), 0) != 0) return "<fails>";
    std::string conteudo;
    for (const auto& e : std::filesystem::directory_iterator(arvore().path("extraido"))) {
      conteudo += arvore().read(("extraido/" + e.path().filename().string()));
    }
    return conteudo;
  }

 private:
  // A zone three hours behind UTC, so local times are known.
  FixedZone zona_{-3 * 3600};
  std::optional<TempTree> arvore_;
};

}  // namespace torvex::testing
