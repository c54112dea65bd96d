#include "download/simulacao_recebido.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "arj/check_extract.h"
#include "arj/memory_stream.h"
#include "download/entrega_pendente.h"
#include "download/percurso_recebidos.h"
#include "journal/file_steps.h"
#include "platform/file.h"
#include "platform/wildcard.h"

namespace torvex {
namespace {

// The archive library's error level for a member it cannot write.
constexpr int kNivelEscrita = 5;

std::string dobraAscii(std::string_view texto) {
  std::string dobrado(texto);
  for (char& ch : dobrado) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return dobrado;
}

std::string_view nomeDe(const char* caminho) {
  std::string_view texto = caminho;
  size_t barra = texto.rfind('/');
  return barra == texto.npos ? texto : texto.substr(barra + 1);
}

// Keeps the first bytes of a member: a descriptor is read no further than
// its first three lines of at most 79 characters.
class InicioDoMembro : public arj::ByteSink {
 public:
  bool write(const uint8_t* p, size_t n) override {
    bytes_.append(reinterpret_cast<const char*>(p), std::min(n, kLimite - bytes_.size()));
    return true;
  }
  std::string_view bytes() const { return bytes_; }

 private:
  static constexpr size_t kLimite = 4096;
  std::string bytes_;
};

// The members as the extraction would leave them in the tray, decoded in
// memory; a later member of the same name takes the place of an earlier one,
// as the extraction replaces the file.
class MembrosEmMemoria : public MembrosRecebido {
 public:
  int extrai(const CaminhosRecebido& c) override {
    descritor_.reset();
    temDados_ = false;
    bool naoGrava = false;
    const std::string descritor = dobraAscii(nomeDe(c.descritor));
    const std::string dados = dobraAscii(nomeDe(c.dados));
    const int nivel = arj::checkExtract(c.arquivo, [&](const std::string& nome) -> arj::ByteSink* {
      // A member is put over whatever file has its name; a directory there
      // (a member named "WORK") refuses it.
      const uint32_t atributos = platform().fileAttributes((std::string(c.bandeja) + nome).c_str());
      if (atributos != kInvalidAttributes && (atributos & kAttrDirectory)) naoGrava = true;
      const std::string membro = dobraAscii(nome);
      if (membro == descritor) return &descritor_.emplace();
      if (membro == dados) temDados_ = true;
      return nullptr;
    });
    return naoGrava ? std::max(nivel, kNivelEscrita) : nivel;
  }
  bool leDescritor(const CaminhosRecebido&, DescritorNome& descritor) override {
    if (!descritor_) return false;
    torvex::leDescritor(descritor_->bytes(), descritor);
    return true;
  }
  bool temDados(const CaminhosRecebido&) override { return temDados_; }

 private:
  std::optional<InicioDoMembro> descritor_;
  bool temDados_ = false;
};

// Counts on from the counter file's number without writing it, and sees the
// final paths of the deliveries decided so far.
class NumeracaoSimulada : public Numeracao {
 public:
  explicit NumeracaoSimulada(const char* raiz) {
    char caminho[kTamanhoCaminho];
    cabe_ = caminhoContador(raiz, caminho);
    if (cabe_) leContador(caminho, ultimo_);
  }
  int32_t proxima(const char*) override {
    if (!cabe_) return 0;
    ultimo_ = sucessorSequencia(ultimo_);
    return ultimo_;
  }
  bool existe(const char* caminho) override {
    return criados_.count(dobraAscii(caminho)) > 0 || pathExists(caminho);
  }
  void cria(const char* caminho) { criados_.insert(dobraAscii(caminho)); }

 private:
  bool cabe_ = false;
  int32_t ultimo_ = 0;
  std::set<std::string> criados_;
};

}  // namespace

PrevisaoPasso simulaPasso(const char* raiz) {
  PrevisaoPasso previsao;
  previsao.coleta = listaAntesDeProcessar();
  char padrao[kTamanhoCaminho], diario[kTamanhoCaminho];
  if (!padraoRecebidos(raiz, padrao) || !caminhoDiario(raiz, diario)) return previsao;
  MembrosEmMemoria membros;
  NumeracaoSimulada numeracao(raiz);
  const BandejasRecebimento bandejas(raiz);
  BookkeepingFiles proprios(raiz);
  Plan plano;
  const JournalState estado = readJournal(raiz, plano);
  previsao.bloqueado = estado == JournalState::Error;
  const PlanoPendente pendente = estado == JournalState::Plan ? planoPendente(plano) : PlanoPendente{};
  if (estado == JournalState::Plan) proprios.passOverMembers(filesNamed(plano));
  // A journal that exists but cannot be opened to write stops every call.
  previsao.bloqueio = pathExists(diario) && !canAppendTo(diario) ? diario : pendente.bloqueio;
  std::set<std::string> daPendente;
  for (const EntregaPendente& e : pendente.entregas) {
    PrevisaoRecebido item;
    item.arquivo.name = e.arquivo;
    item.pendente = true;
    item.registrado = e.registrada;
    item.destinoConhecido = !e.destino.empty();
    item.decisao.entrega = true;
    copia(item.decisao.destino, sizeof item.decisao.destino,
          (e.destino.empty() ? e.final : e.destino).c_str());
    copia(item.decisao.colocacao.final, sizeof item.decisao.colocacao.final, e.final.c_str());
    item.decisao.colocacao.modo = e.modo;
    numeracao.cria(e.final.c_str());
    daPendente.insert(dobraAscii(e.arquivo));
    previsao.recebidos.push_back(std::move(item));
  }
  // Archives the plan gives back and that are parked now are listed where
  // their names will be: a search that also yields the parked names, which
  // differ from the archive's only past its own.
  std::map<std::string, std::string> estacionados;  // folded parked name -> archive name
  for (const ArquivoDevolvido& d : pendente.devolvidos) {
    if (!d.estacionado.empty()) estacionados[dobraAscii(nomeDe(d.estacionado.c_str()))] = d.arquivo;
  }
  const wildcard::Pattern dosRecebidos(nomeDe(padrao), false);
  std::string busca = padrao;
  if (!estacionados.empty()) busca += '*';
  auto devolvido = [&](const DirEntry& arquivo) -> const std::string* {
    const auto achado = estacionados.find(dobraAscii(arquivo.name));
    return achado == estacionados.end() ? nullptr : &achado->second;
  };
  percorreRecebidos(
      busca.c_str(), previsao.coleta,
      [&](const DirEntry& listado) {
        PrevisaoRecebido item;
        item.arquivo = listado;
        const std::string* nome = devolvido(listado);
        if (nome) item.arquivo.name = *nome;
        CaminhosRecebido c;
        if (c.monta(raiz, bandejas, item.arquivo.name.c_str()) &&
            (!nome || copia(c.arquivo, sizeof c.arquivo, c.reservado))) {
          item.decisao = decideRecebido(raiz, c, membros, numeracao, proprios);
          if (item.decisao.entrega) numeracao.cria(item.decisao.colocacao.final);
        }
        previsao.recebidos.push_back(std::move(item));
      },
      [&](const DirEntry& arquivo) {
        PrevisaoRecebido item;
        item.arquivo = arquivo;
        if (const std::string* nome = devolvido(arquivo)) item.arquivo.name = *nome;
        item.adiado = true;
        previsao.recebidos.push_back(std::move(item));
      },
      [&](const DirEntry& arquivo) {
        if (devolvido(arquivo)) return false;
        return daPendente.count(dobraAscii(arquivo.name)) > 0 || !dosRecebidos.matches(arquivo.name);
      });
  return previsao;
}

}  // namespace torvex
