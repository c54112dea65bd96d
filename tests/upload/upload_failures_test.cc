// Whatever file operation of a call fails, and wherever a call is cut short,
// every source file is either still in place or packed with its record, and
// no archive that the host would list lacks its complete record.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "platform/file.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/sweep_stride.h"
#include "tests/upload/upload_fixture.h"
#include "platform/scoped_platform.h"

namespace torvex::testing {
namespace {

// Every operation that changes the disk fails from the n-th on, as if the
// process had died there; reads still answer, so the call runs to its end
// without changing anything more.
class InterruptedPlatform : public ScopedPlatform {
 public:
  explicit InterruptedPlatform(long n)
      : n_(n) {}
  long alteracoes() const { return count_; }

  FileHandle* openFile(const char* p, OpenMode m) override {
    return m == OpenMode::Read || vivo() ? ForwardingPlatform::openFile(p, m) : nullptr;
  }
  long writeFile(FileHandle* f, const void* b, size_t n) override {
    return vivo() ? ForwardingPlatform::writeFile(f, b, n) : -1;
  }
  bool truncateFile(FileHandle* f, uint64_t s) override {
    return vivo() && ForwardingPlatform::truncateFile(f, s);
  }
  bool createDirectory(const char* p) override {
    return vivo() && ForwardingPlatform::createDirectory(p);
  }
  bool removeDirectory(const char* p) override {
    return vivo() && ForwardingPlatform::removeDirectory(p);
  }
  bool deleteFile(const char* p) override { return vivo() && ForwardingPlatform::deleteFile(p); }
  bool moveFile(const char* a, const char* b) override {
    return vivo() && ForwardingPlatform::moveFile(a, b);
  }
  bool replaceFile(const char* a, const char* b) override {
    return vivo() && ForwardingPlatform::replaceFile(a, b);
  }

 private:
  bool vivo() { return ++count_ < n_ || n_ == 0; }
  long n_, count_ = 0;
};

class FalhasUploadTest : public UploadTest {
 protected:
  // Three sources, one of which was packed under the same number before.
  void prepara() {
    novaArvore();
    arvore().mkdir("enviados");
    escreve("dados/b.txt", "versao anterior");
    ASSERT_EQ(gera("C:/dados/b.txt"), 0);
    for (const auto& [nome, conteudo] : fontes_) escreve("dados/" + nome, conteudo);
  }

  // `passo` names the failing operation in messages.
  void verifica(long passo) {
    for (const auto& [nome, conteudo] : fontes_) {
      bool noLugar = arvore().read("dados/" + nome) == conteudo;
      std::string radical = nome;
      for (char& c : radical) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      radical[radical.rfind('.')] = '_';
      std::string registro = arvore().read(std::string(kTrabalho) + "/F1_" + radical + ".DAT");
      bool empacotado = registro == "C:/dados/" + nome + "\r\n05/12/2026 14:03:59\r\n" &&
                        conteudoArquivado("F1_" + radical + ".ARJ") == conteudo;
      EXPECT_TRUE(noLugar || empacotado) << nome << ", failing operation " << passo;
    }

    // What the host lists, each with its complete record; no record is partial.
    static const std::regex kRegistro(
        "C:/dados/[^\r\n]+\r\n\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\r\n");
    DirSearch busca("C:/T/Outtray/Work/f*_*.arj");
    for (bool ha = busca.found(); ha; ha = busca.next()) {
      const std::string& nome = busca.entry().name;
      std::string registro = nome.substr(0, nome.size() - 3) + "DAT";
      EXPECT_TRUE(arvore().exists(std::string(kTrabalho) + "/" + registro))
          << nome << " without its record, failing operation " << passo;
    }
    for (const std::string& nome : trabalho()) {
      if (nome.ends_with(".DAT")) {
        EXPECT_TRUE(std::regex_match(arvore().read(std::string(kTrabalho) + "/" + nome), kRegistro))
            << nome << " incomplete, failing operation " << passo;
      }
    }
  }

  // A later call without faults packs everything that was left.
  void recupera(long passo, const char* renomeia) {
    ASSERT_EQ(gera("C:/dados/*", renomeia), 0) << passo;
    for (const auto& [nome, conteudo] : fontes_) {
      EXPECT_FALSE(arvore().exists("dados/" + nome)) << nome << ", failing operation " << passo;
    }
    // Our archives and records only, no leftover of ours; a scratch file of
    // the archive library cut short in a crash may stay beside them.
    std::set<std::string> nossos;
    for (const std::string& nome : trabalho()) {
      if (nome.starts_with("F")) nossos.insert(nome);
    }
    EXPECT_EQ(nossos.size(), 2 * fontes_.size()) << passo << ::testing::PrintToString(nossos);
  }

  const std::map<std::string, std::string> fontes_{
      {"ARQ01.TXT", std::string(3000, 'a') + "fim"},
      {"b.txt", "versao nova"},
      {"c.dat", "c"},
  };
};

TEST_F(FalhasUploadTest, EachFailingOperationLeavesEverySourceSafe) {
  for (const char* renomeia : {"", "C:/enviados/*.old"}) {
    prepara();
    long total;
    {
      FaultyPlatform contagem;
      contagem.failAt(0);
      ASSERT_EQ(gera("C:/dados/*", renomeia), 0);
      total = contagem.count();
    }
    ASSERT_GT(total, 20);
    RecordProperty(*renomeia ? "operacoesComRenome" : "operacoes", static_cast<int>(total));
    for (long n = firstCut(total); n <= total; n += sweepStride()) {
      prepara();
      {
        FaultyPlatform falha;
        falha.failAt(n);
        // -1 when the failure keeps the call from starting at all.
        LONG resultado = gera("C:/dados/*", renomeia);
        EXPECT_TRUE(resultado == 0 || resultado == -1) << n;
      }
      verifica(n);
      recupera(n, renomeia);
      if (HasFailure()) return;
    }
  }
}

TEST_F(FalhasUploadTest, ACallCutShortAnywhereLeavesEverySourceSafe) {
  prepara();
  long total;
  {
    InterruptedPlatform contagem(0);
    ASSERT_EQ(gera("C:/dados/*"), 0);
    total = contagem.alteracoes();
  }
  RecordProperty("alteracoes", static_cast<int>(total));
  for (long n = firstCut(total); n <= total; n += sweepStride()) {
    prepara();
    {
      InterruptedPlatform interrompida(n);
      gera("C:/dados/*");
    }
    verifica(n);
    recupera(n, "");
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace torvex::testing
