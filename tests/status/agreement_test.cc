// The property that makes `torvex status` worth reading: on generated trees
// (archives good and bad, descriptors, destinations of every kind, existing
// files, read-only ones, the counter, and passes cut short by a crash, often
// with their plan pending in the journal) what status predicts for each
// received archive is what the next pass then does with it, and doing what
// it advises for the leftovers loses and doubles nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "cli/read_only_platform.h"
#include "cli/tray_report.h"
#include "conventions/conventions.h"
#include "download/disponibiliza_arquivos.h"
#include "journal/journal_file.h"
#include "platform/file.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/fixed_version.h"
#include "tests/support/power_cut_platform.h"
#include "tests/support/windows_limits.h"
#include "tests/support/wine.h"

namespace torvex::cli {
namespace {

namespace fs = std::filesystem;

// Under Wine a tree costs over a second (every file call goes through the
// Wine server): a quarter of them keeps the Windows stage within its time.
int arvores() { return testing::underWine() ? 50 : 200; }
constexpr const char* kControle = "T/OUTTRAY/ContDown.dat";

// One generated tree: what it holds is drawn from `gerador`.
class ArvoreGerada {
 public:
  ArvoreGerada(const testing::TempTree& arvore, std::mt19937& gerador)
      : arvore_(arvore), g_(gerador) {}

  void gera() {
    testing::criaBandejas(arvore_);
    arvore_.mkdir("OUT/dir.txt");
    for (const char* nome : {"a.txt", "b.txt", "ro.txt", "M00003.QVX"}) {
      if (sorteia(2)) arvore_.write(std::string("OUT/") + nome, "old:" + std::string(nome));
    }
    if (arvore_.exists("OUT/ro.txt")) fs::permissions(arvore_.path("OUT/ro.txt"), fs::perms::owner_read);
    if (sorteia(2)) {
      const int32_t ultimo = sorteia(2) ? 2 : 99999;
      arvore_.write("T/DATA/SEQPOST.DAT", std::string(reinterpret_cast<const char*>(&ultimo), 4));
    }
    if (sorteia(3) == 0) arvore_.write(kControle, "");
    ligacoes();
    const int quantos = 1 + sorteia(6);
    for (int i = 0; i < quantos; ++i) recebido();
  }

  // Half the trees: a pass cut short at one of its operations, by a dead
  // process or a power cut. The cut falls in the later two thirds of what
  // the whole pass would do, where it often leaves its plan in the journal.
  void talvezInterrompa() {
    if (sorteia(2)) return;
    const long operacoes = operacoesDeUmPasso();
    if (operacoes < 3) return;
    {
      testing::PowerCutPlatform energia(arvore_.dir());
      energia.stopAt(2 * operacoes / 3 + sorteia(static_cast<int>(operacoes - 2 * operacoes / 3)));
      disponibilizaArquivos("C:/T");
      energia.cut(sorteia(2) ? testing::Survivor::Everything : testing::Survivor::Synced);
    }
    // The cut writes the files anew, with the default permissions, and
    // keeps no link.
    if (arvore_.exists("OUT/ro.txt")) fs::permissions(arvore_.path("OUT/ro.txt"), fs::perms::owner_read);
    ligacoes();
    perturbaPlano();
  }

  int perturbados() const { return perturbados_; }

 private:
  // Someone changes what a pending plan needs before the next call: the
  // control file replaced by a directory (the plan cannot be finished), or
  // one delivery's files disturbed so that its run again gives it up: its
  // destination made a directory, its data file deleted or changed, or
  // another program's bytes after the place of its append.
  void perturbaPlano() {
    Plan plano;
    if (readJournal("C:/T", plano) != JournalState::Plan || sorteia(2)) return;
    if (sorteia(4) == 0) {
      // Its records stay readable: the file is made read-only, or a
      // directory takes the place of a missing one. Wine lets root write a
      // read-only file (W7 in docs/wine-departures.md): there it is left be.
      if (arvore_.exists(kControle)) {
        if (!testing::underWine()) fs::permissions(arvore_.path(kControle), fs::perms::owner_read);
      } else {
        arvore_.mkdir(kControle);
      }
    }
    std::vector<const Step*> colocacoes;
    for (const Step& s : plano.steps) {
      const bool coloca = s.op == Op::Rename || s.op == Op::Append || s.op == Op::Copy;
      if (coloca && !s.undo && s.item >= 0 && s.a.ends_with(".ARQ")) colocacoes.push_back(&s);
    }
    if (colocacoes.empty()) return;
    const Step& s = *colocacoes[static_cast<size_t>(sorteia(static_cast<int>(colocacoes.size())))];
    ++perturbados_;
    switch (sorteia(4)) {
      case 0:
        if (!pathExists(s.b.c_str())) arvore_.mkdir(s.b.substr(3));
        break;
      case 1:
        platform().deleteFile(s.a.c_str());
        break;
      case 2:
        if (pathExists(s.a.c_str())) arvore_.write(s.a.substr(3), "changed by someone else");
        break;
      default:
        if (s.op == Op::Append) arvore_.write(s.b.substr(3), arvore_.read(s.b.substr(3)) + "theirs");
        break;
    }
  }

  // How many operations changing the disk a whole pass does here; the tree
  // is then put back as it was.
  long operacoesDeUmPasso() {
    const fs::path copia = arvore_.dir().string() + ".antes";
    fs::copy(arvore_.dir(), copia, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    long operacoes = 0;
    {
      testing::PowerCutPlatform energia(arvore_.dir());
      disponibilizaArquivos("C:/T");
      operacoes = energia.count();
    }
    testing::makeWritable(arvore_.dir());
    for (const auto& e : fs::directory_iterator(arvore_.dir())) fs::remove_all(e.path());
    // Entry by entry: mingw-w64's copy of a folder refuses a target folder that exists.
    for (const auto& e : fs::directory_iterator(copia)) {
      fs::copy(e.path(), arvore_.dir() / e.path().filename(),
               fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
    testing::makeWritable(copia);
    fs::remove_all(copia);
    return operacoes;
  }

  // Links that lead to no file: one to a member an archive of the tree may
  // have extracted by the time it is decided, one to nothing at all.
  void ligacoes() {
    if (testing::kNoSymbolicLinks) return;
    for (const auto& [ligacao, alvo] : {std::pair{"OUT/next.lnk", "T/INTRAY/D00003.ARQ"},
                                        std::pair{"OUT/dangling.txt", "OUT/nothing.txt"}}) {
      if (!fs::is_symlink(arvore_.path(ligacao))) {
        fs::create_symlink(arvore_.path(alvo), arvore_.path(ligacao));
      }
    }
  }

  int sorteia(int n) { return std::uniform_int_distribution<int>(0, n - 1)(g_); }
  template <typename T, size_t N>
  const T& um(const T (&lista)[N]) { return lista[sorteia(static_cast<int>(N))]; }

  std::string destino() {
    static const char* const kDestinos[] = {
        "C:/OUT/a.txt", "C:/OUT/b.txt", "C:/OUT/c.txt", "C:/OUT/ro.txt", "C:/OUT/dir.txt",
        "C:/OUT/missing/x.txt", "C:/OUT/NUL", "NUL", "C:/OUT/a*b.txt", "C:/OUT/q?.txt",
        "C:/OUT/ctl\x01.txt", "C:/OUT/tab\t.txt", "C:/T/INTRAY/D00001.ARQ", "C:/T/Intray/D00002.FN",
        "C:/T/DATA/x.txt", "C:/T/OUTTRAY/WORK/F1_x_txt.ARJ", "C:/T/Outtray/ContDown.dat",
        "C:/T/INTRAY/WORK/new.txt", "", "C:/OUT/r&PAA.txt", "C:/OUT/M00003.QVX",
        "C:/OUT/next.lnk", "C:/OUT/dangling.txt"};
    std::string d = um(kDestinos);
    if (sorteia(8) == 0) d = "C:/OUT/" + std::string(200 + sorteia(80), 'L') + ".txt";
    return d;
  }

  void recebido() {
    char nome[16];
    std::snprintf(nome, sizeof nome, "D%05d", 1 + sorteia(12));
    const std::string base = nome;
    if (arvore_.exists("T/INTRAY/WORK/" + base + ".ARJ")) return;
    static const char* const kCodigos[] = {"A", "M", "R", "a", "m", "x", ""};
    static const char* const kCarimbos[] = {"ABCDEF.GH+202601311200+", "short"};
    std::vector<std::pair<std::string, std::string>> membros;
    const int forma = sorteia(12);
    const std::string payload(static_cast<size_t>(sorteia(3) * 400), 'p');
    if (forma != 0) {  // 0: no descriptor
      membros.emplace_back(base + ".FN",
                           testing::descritor(destino(), um(kCarimbos), um(kCodigos)));
    }
    if (forma != 1) membros.emplace_back(base + ".ARQ", base + payload);  // 1: no data
    if (forma == 2) membros.emplace_back("WORK", "a member named as the work area");
    if (forma == 3) membros.emplace_back(nomeLongo(200 + sorteia(56)), "long member name");
    const std::string arquivo = "T/INTRAY/WORK/" + base + ".ARJ";
    if (forma == 4) {
      arvore_.write(arquivo, "not an archive");
      return;
    }
    for (const auto& [membro, conteudo] : membros) {
      arvore_.write("STAGE/" + membro, conteudo);
      const std::string comando = "a \"C:/" + arquivo + "\" \"C:/STAGE/" + membro + "\"";
      ASSERT_EQ(ExecArj(comando.c_str(), 0), 0) << comando;
    }
    fs::remove_all(arvore_.path("STAGE"));
    if (forma == 5) {  // one byte of the packed data changed
      std::string bytes = arvore_.read(arquivo);
      bytes[bytes.size() - 8] ^= 0x55;
      arvore_.write(arquivo, bytes);
    }
  }

  // A member name of `comprimento` characters; extracted to C:/T/Intray/NAME,
  // its path may pass 255 bytes, and MAX_PATH on Windows.
  static std::string nomeLongo(size_t comprimento) { return std::string(comprimento, 'm'); }

  const testing::TempTree& arvore_;
  std::mt19937& g_;
  int perturbados_ = 0;
};

// The records of the control file, in file order: archive name and final path.
std::vector<std::pair<std::string, std::string>> registros(const testing::TempTree& arvore) {
  std::vector<std::pair<std::string, std::string>> lista;
  // A directory in its place (a plan then cannot be finished) holds no record.
  if (fs::is_directory(arvore.path(kControle))) return lista;
  std::string texto = arvore.read(kControle);
  std::vector<std::string> linhas;
  for (size_t fim; (fim = texto.find("\r\n")) != std::string::npos; texto.erase(0, fim + 2)) {
    linhas.push_back(texto.substr(0, fim));
  }
  for (size_t i = 0; i + 5 <= linhas.size(); i += 5) lista.emplace_back(linhas[i + 2], linhas[i + 3]);
  return lista;
}

long vezes(const std::vector<std::pair<std::string, std::string>>& lista, const std::string& nome) {
  return std::count_if(lista.begin(), lista.end(), [&](const auto& r) { return r.first == nome; });
}

std::string conteudo(const std::string& caminho) {
  std::string bytes;
  EXPECT_TRUE(readWholeFile(caminho.c_str(), bytes)) << caminho;
  return bytes;
}

// The contents of every file delivered or standing under OUT, by host path.
std::map<std::string, std::string> saidas(const testing::TempTree& arvore) {
  std::map<std::string, std::string> arquivos;
  for (const auto& e : fs::recursive_directory_iterator(arvore.path("OUT"))) {
    if (!e.is_symlink() && e.is_regular_file()) {
      arquivos[e.path().string()] = conteudo("C:/" + fs::relative(e.path(), arvore.dir()).string());
    }
  }
  return arquivos;
}

// Every received archive of the tree, by name: waiting, parked during a
// delivery, or already recorded.
std::set<std::string> recebidos(const testing::TempTree& arvore) {
  std::set<std::string> nomes;
  for (const auto& e : fs::directory_iterator(arvore.path("T/INTRAY/WORK"))) {
    const std::string nome = e.path().filename().string();
    if (nome.size() >= 10 && nome[0] == 'D') nomes.insert(nome.substr(0, 10));
  }
  for (const auto& [nome, final] : registros(arvore)) nomes.insert(nome);
  return nomes;
}

// Does what status advises for each leftover: deletes what it says may go,
// and what it tells an operator to delete once compared with the
// deliveries (when its bytes are found in one of them).
int segueConselhos(const TrayReport& r, const testing::TempTree& arvore) {
  int apagados = 0;
  for (const Leftover& l : r.leftovers) {
    bool apaga = l.action == Advice::Delete;
    if (l.action == Advice::CompareThenDelete) {
      const std::string bytes = conteudo(l.path);
      for (const auto& [caminho, entregue] : saidas(arvore)) {
        apaga = apaga || (!bytes.empty() && entregue.find(bytes) != std::string::npos);
      }
    }
    if (apaga && platform().deleteFile(l.path.c_str())) ++apagados;
  }
  return apagados;
}

// The parameter is the system version, "platform.major", answered in place
// of the system's own (fixed_version.h).
class Concordancia : public ::testing::TestWithParam<const char*> {
 protected:
  Concordancia() { testing::setVariable("TZ", "UTC0"); }

  testing::FixedVersion versao_{true, static_cast<uint32_t>(std::stoul(GetParam())),
                                static_cast<uint32_t>(std::stoul(std::strchr(GetParam(), '.') + 1))};
};

// What the next pass did with one archive is what status said it would.
void confere(const ReceivedItem& item, const testing::TempTree& arvore,
             const std::vector<std::pair<std::string, std::string>>& antes,
             const std::vector<std::pair<std::string, std::string>>& depois) {
  const bool ficou = arvore.exists("T/INTRAY/WORK/" + item.name);
  const bool estacionado = arvore.exists("T/INTRAY/WORK/" + item.name + ".ENTREGA");
  const long registros = vezes(depois, item.name);
  std::string final;
  for (const auto& [nome, caminho] : depois) {
    if (nome == item.name) final = caminho;
  }
  if (item.deliver) {
    EXPECT_FALSE(ficou || estacionado) << item.name << " predicted: deliver to " << item.destination;
    EXPECT_EQ(registros, 1) << item.name << " predicted: deliver to " << item.destination;
    EXPECT_EQ(final, item.destination) << item.name;
    EXPECT_EQ(vezes(antes, item.name), item.recorded ? 1 : 0) << item.name;
  } else if (item.pending) {
    // Held by a plan that cannot be finished: placed perhaps, never recorded.
    EXPECT_EQ(registros, vezes(antes, item.name)) << item.name << " predicted: held, " << item.reason;
  } else if (!item.later) {
    EXPECT_TRUE(ficou) << item.name << " predicted: stays, " << item.reason;
    EXPECT_EQ(registros, vezes(antes, item.name)) << item.name << " predicted: stays, " << item.reason;
  }
}

// Nothing lost, nothing twice: every archive ends waiting or recorded once,
// and each payload is found once, in its final path, unless a later
// delivery replaced that file.
void nadaPerdidoNemDobrado(const std::set<std::string>& arquivos, const testing::TempTree& arvore) {
  const auto depois = registros(arvore);
  const auto entregues = saidas(arvore);
  for (const std::string& nome : arquivos) {
    const long n = vezes(depois, nome);
    const bool espera = arvore.exists("T/INTRAY/WORK/" + nome);
    EXPECT_EQ(n, espera ? 0 : 1) << nome << (espera ? " waits" : " is gone");
    const std::string carga = nome.substr(0, 6);
    long achados = 0;
    for (const auto& [caminho, bytes] : entregues) {
      for (size_t at = bytes.find(carga); at != std::string::npos; at = bytes.find(carga, at + 1)) ++achados;
    }
    EXPECT_LE(achados, 1) << carga << " delivered twice";
    for (size_t i = 0; i < depois.size(); ++i) {
      if (depois[i].first != nome) continue;
      bool substituido = false;
      for (size_t j = i + 1; j < depois.size(); ++j) {
        substituido |= dobraCaixa(depois[j].second) == dobraCaixa(depois[i].second);
      }
      if (!substituido) {
        EXPECT_NE(conteudo(depois[i].second).find(carga), std::string::npos)
            << carga << " lost from " << depois[i].second;
      }
    }
  }
}

TEST_P(Concordancia, StatusPredictsWhatTheNextPassDoesArchiveByArchive) {
  if (testing::kNoSymbolicLinks) {
    std::printf("the destinations through links to no file are left out: %s\n", testing::kLinksNotMade);
  }
  if (testing::underWine()) {
    std::printf("the control file is never made read-only under Wine, which lets root write it (W7)\n");
  }
  int arquivos = 0, comPlano = 0, pendentes = 0, apagados = 0, parados = 0, perturbados = 0;
  for (int semente = 1; semente <= arvores(); ++semente) {
    SCOPED_TRACE("seed " + std::to_string(semente));
    testing::TempTree arvore;
    std::mt19937 gerador(static_cast<unsigned>(semente));
    ArvoreGerada gerada(arvore, gerador);
    gerada.gera();
    gerada.talvezInterrompa();
    perturbados += gerada.perturbados();
    Plan plano;
    comPlano += readJournal("C:/T", plano) == JournalState::Plan;
    TrayReport previsto;
    {
      ReadOnlyPlatform somenteLeitura;
      previsto = inspectTray("C:/T");
      EXPECT_EQ(somenteLeitura.refused(), 0);
    }
    const std::set<std::string> todos = recebidos(arvore);
    apagados += segueConselhos(previsto, arvore);
    const auto antes = registros(arvore);
    disponibilizaArquivos("C:/T");
    const auto depois = registros(arvore);
    std::set<std::string> previstos;
    for (const ReceivedItem& item : previsto.received) {
      ++arquivos;
      pendentes += item.pending;
      confere(item, arvore, antes, depois);
      if (item.deliver) previstos.insert(item.name);
    }
    // And nothing is delivered that status did not foresee.
    for (const auto& [nome, final] : depois) {
      if (vezes(depois, nome) > vezes(antes, nome)) {
        EXPECT_TRUE(previstos.count(nome)) << nome << " delivered to " << final << " unforeseen";
      }
    }
    if (!previsto.callStopsAt.empty()) {
      // An operator makes the file a call stopped at writable again; the
      // pass after that finishes the plan.
      ++parados;
      if (fs::is_directory(arvore.path(kControle))) {
        fs::remove(arvore.path(kControle));
      } else {
        fs::permissions(arvore.path(kControle), fs::perms::owner_all);
      }
      disponibilizaArquivos("C:/T");
    }
    nadaPerdidoNemDobrado(todos, arvore);
    if (fs::exists(arvore.path("OUT/ro.txt"))) {
      fs::permissions(arvore.path("OUT/ro.txt"), fs::perms::owner_all);
    }
    if (HasFailure()) break;
  }
  std::printf("[ agreement ] status and the next pass %s on %d generated trees, %d with a pending "
              "plan, %d of them disturbed, %d stopped at a file until mended (%d archives, %d "
              "finished from a plan, %d leftovers deleted as advised, %s mode)\n",
              HasFailure() ? "DISAGREED" : "agreed", arvores(), comPlano, perturbados, parados,
              arquivos, pendentes, apagados,
              std::string(GetParam()) == "6.1" ? "direct" : "collect-first");
}

INSTANTIATE_TEST_SUITE_P(Modos, Concordancia, ::testing::Values("6.1", "1.4"));

}  // namespace
}  // namespace torvex::cli
