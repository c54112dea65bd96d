#include "download/entrega_pendente.h"

#include <string_view>

#include "journal/file_steps.h"
#include "journal/plan.h"
#include "platform/file.h"

namespace torvex {
namespace {

// Whether the Write step, run again, finds an item's record already written:
// after the control file's size at planning, or anywhere in a file that is
// not the one planned for (the host took that one).
bool registroConsta(const Step& escrita, const Step& fragmento) {
  std::string controle;
  if (!readWholeFile(escrita.a.c_str(), controle)) return false;
  const bool mesmo = identityText(escrita.a.c_str()) == escrita.c;
  const size_t desde = mesmo && escrita.m > 0 ? static_cast<size_t>(escrita.m) : 0;
  if (controle.size() < desde) return false;
  const std::string_view depois = std::string_view(controle).substr(desde);
  return depois.find(fragmento.a) != depois.npos ||
         (!fragmento.b.empty() && depois.find(fragmento.b) != depois.npos);
}

// The lines of a record text: "#", stamp, archive name, final path, time.
std::vector<std::string> linhas(std::string_view texto) {
  std::vector<std::string> saida;
  for (size_t fim; (fim = texto.find('\n')) != texto.npos; texto.remove_prefix(fim + 1)) {
    std::string_view linha = texto.substr(0, fim);
    if (!linha.empty() && linha.back() == '\r') linha.remove_suffix(1);
    saida.emplace_back(linha);
  }
  return saida;
}

// Where an item's archive will stand once its undo has run: its reservation
// (the archive renamed to its parked name) is renamed back when the parked
// file holds the archive's bytes and its name is free.
void devolve(const Plan& plano, long item, std::vector<ArquivoDevolvido>& devolvidos) {
  for (const Step& s : plano.steps) {
    if (s.item != item || s.undo || s.op != Op::Rename || !s.ifPresent) continue;
    const size_t barra = s.a.rfind('/');
    ArquivoDevolvido d{s.a.substr(barra == s.a.npos ? 0 : barra + 1), {}};
    if (!holds(s.a.c_str(), s.digest) && !pathExists(s.a.c_str()) && holds(s.b.c_str(), s.digest)) {
      d.estacionado = s.b;
    }
    devolvidos.push_back(std::move(d));
  }
}

}  // namespace

PlanoPendente planoPendente(const Plan& plano) {
  PlanoPendente pendente;
  const RunForecast previsao = forecastRun(plano);
  pendente.bloqueio = previsao.blockedBy;
  // Records are written by the one Write step; past its mark they stand,
  // and before it they may already have been written whole.
  const Step* escrita = nullptr;
  bool registradas = false;
  for (size_t i = 0; i < plano.steps.size(); ++i) {
    if (plano.steps[i].op != Op::Write || plano.steps[i].pending) continue;
    escrita = &plano.steps[i];
    registradas = plano.resumeAt > i;
  }
  for (const Step& fragmento : plano.steps) {
    if (fragmento.op != Op::Fragment) continue;
    if (plano.abandoned.count(fragmento.item) || previsao.givenUp.count(fragmento.item)) {
      devolve(plano, fragmento.item, pendente.devolvidos);
      continue;
    }
    const std::vector<std::string> registro = linhas(fragmento.a);
    if (registro.size() < 4) continue;
    EntregaPendente e;
    e.arquivo = registro[2];
    e.final = registro[3];
    e.registrada = registradas || (escrita && registroConsta(*escrita, fragmento));
    for (const Step& s : plano.steps) {
      if (s.item != fragmento.item || s.undo || s.b != e.final) continue;
      const bool coloca = s.op == Op::Append || s.op == Op::Rename || s.op == Op::Copy;
      if (s.op == Op::Append) e.modo = ModoEntrega::Anexa;
      if (coloca && s.op != Op::Append && s.replace) e.modo = ModoEntrega::Substitui;
      if (coloca) e.destino = s.d;
    }
    pendente.entregas.push_back(std::move(e));
  }
  return pendente;
}

}  // namespace torvex
