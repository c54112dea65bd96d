#include "tests/download/casos_entrega.h"

#include <filesystem>
#include <string>

#include "tests/download/received_archives.h"

namespace torvex::testing {

namespace fs = std::filesystem;

std::span<const CasoEntrega> casosEntrega() {
  // Every disposition, and a code that means nothing.
  static const CasoEntrega kCasos[] = {
      {"D00001.ARJ", "OUT/NEW.TXT", "M", "new", nullptr, "new"},
      {"D00002.ARJ", "OUT/APP.TXT", "A", "tail", "head+", "head+tail"},
      {"D00003.ARJ", "OUT/REP.TXT", "R", "replaced", "old", "replaced"},
      {"D00004.ARJ", "OUT/MSG.TXT", "M", "numbered", "mine", "mine"},
      {"D00005.ARJ", "OUT/ANY.TXT", "z", "other", "was", "other"},
  };
  return kCasos;
}

BandejaComCasos::BandejaComCasos(const TempTree& arvore, const TempTree& saida)
    : arvore_(arvore), saida_(saida) {
  criaBandejas(arvore_);
  for (const CasoEntrega& c : casosEntrega()) {
    const std::string destino = std::string(1, saida_.drive()) + ":/" + c.destino;
    criaRecebido(arvore_, c.arquivo, descritor(destino, "stamp", c.codigo), c.dados);
  }
  fs::rename(arvore_.path("T/INTRAY/WORK"), arvore_.path("MODEL"));
}

void BandejaComCasos::arranja() const {
  fs::remove_all(saida_.path("OUT"));
  fs::remove_all(arvore_.path("T"));
  criaBandejas(arvore_);
  saida_.mkdir("OUT");
  for (const CasoEntrega& c : casosEntrega()) {
    if (c.antes) saida_.write(c.destino, c.antes);
    fs::copy_file(arvore_.path("MODEL") / c.arquivo, arvore_.path("T/INTRAY/WORK") / c.arquivo);
  }
}

int BandejaComCasos::entregas(const CasoEntrega& c) const {
  if (std::string(c.codigo) == "M" && c.antes) {
    if (saida_.read(c.destino) != c.antes) return -1;
    int n = 0;
    for (const auto& e : fs::directory_iterator(saida_.path("OUT"))) {
      n += e.path().extension() == ".QVX" &&
           saida_.read("OUT/" + e.path().filename().string()) == c.dados;
    }
    return n;
  }
  if (!saida_.exists(c.destino)) return c.antes ? -1 : 0;
  const std::string agora = saida_.read(c.destino);
  if (agora == (c.antes ? c.antes : "")) return 0;
  return agora == c.depois ? 1 : -1;
}

}  // namespace torvex::testing
