#include "download/entrega_pendente.h"

#include <string_view>

#include "journal/file_steps.h"
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

}  // namespace

std::vector<EntregaPendente> entregasPendentes(const Plan& plano) {
  // Records are written by the one Write step; past its mark they stand,
  // and before it they may already have been written whole.
  const Step* escrita = nullptr;
  bool registradas = false;
  for (size_t i = 0; i < plano.steps.size(); ++i) {
    if (plano.steps[i].op != Op::Write || plano.steps[i].pending) continue;
    escrita = &plano.steps[i];
    registradas = plano.resumeAt > i;
  }
  std::vector<EntregaPendente> entregas;
  for (const Step& fragmento : plano.steps) {
    if (fragmento.op != Op::Fragment || plano.abandoned.count(fragmento.item)) continue;
    const std::vector<std::string> registro = linhas(fragmento.a);
    if (registro.size() < 4) continue;
    EntregaPendente e;
    e.arquivo = registro[2];
    e.final = registro[3];
    e.destino = e.final;
    e.registrada = registradas || (escrita && registroConsta(*escrita, fragmento));
    for (const Step& s : plano.steps) {
      if (s.item != fragmento.item || s.undo || s.b != e.final) continue;
      const bool coloca = s.op == Op::Append || s.op == Op::Rename || s.op == Op::Copy;
      if (s.op == Op::Append) e.modo = ModoEntrega::Anexa;
      if (coloca && s.op != Op::Append && s.replace) e.modo = ModoEntrega::Substitui;
      if (coloca && !s.d.empty()) e.destino = s.d;
    }
    entregas.push_back(std::move(e));
  }
  return entregas;
}

}  // namespace torvex
