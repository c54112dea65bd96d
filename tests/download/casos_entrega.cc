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

BandejaComCasos::BandejaComCasos(const TempTree& arvore) : arvore_(arvore) {
  criaBandejas(arvore_);
  for (const CasoEntrega& c : casosEntrega()) {
    criaRecebido(arvore_, c.arquivo, descritor(std::string("C:/") + c.destino, "stamp", c.codigo),
                 c.dados);
  }
  fs::rename(arvore_.path("T/INTRAY/WORK"), arvore_.path("MODEL"));
}

void BandejaComCasos::arranja() const {
  for (const char* d : {"OUT", "T"}) fs::remove_all(arvore_.path(d));
  criaBandejas(arvore_);
  arvore_.mkdir("OUT");
  for (const CasoEntrega& c : casosEntrega()) {
    if (c.antes) arvore_.write(c.destino, c.antes);
    fs::copy_file(arvore_.path("MODEL") / c.arquivo, arvore_.path("T/INTRAY/WORK") / c.arquivo);
  }
}

int BandejaComCasos::entregas(const CasoEntrega& c) const {
  if (std::string(c.codigo) == "M" && c.antes) {
    if (arvore_.read(c.destino) != c.antes) return -1;
    int n = 0;
    for (const auto& e : fs::directory_iterator(arvore_.path("OUT"))) {
      n += e.path().extension() == ".QVX" &&
           arvore_.read("OUT/" + e.path().filename().string()) == c.dados;
    }
    return n;
  }
  if (!arvore_.exists(c.destino)) return c.antes ? -1 : 0;
  const std::string agora = arvore_.read(c.destino);
  if (agora == (c.antes ? c.antes : "")) return 0;
  return agora == c.depois ? 1 : -1;
}

}  // namespace torvex::testing
