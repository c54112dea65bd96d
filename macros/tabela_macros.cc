#include "macros/tabela_macros.h"

#include <cstdio>

#include "component/conventions.h"
#include "macros/carimbo.h"
#include "macros/diretorio_telvorin.h"

namespace torvex {
namespace {

constexpr const char* kMeses[] = {"Jan", "Fev", "Mar", "Abr", "Mai", "Jun",
                                  "Jul", "Ago", "Set", "Out", "Nov", "Dez"};

std::string decimal(const char* formato, int valor) {
  char texto[16];
  std::snprintf(texto, sizeof texto, formato, valor);
  return texto;
}

std::optional<std::string> abreviaturaMes(int mes) {
  if (mes < 1 || mes > 12) return std::nullopt;
  return kMeses[mes - 1];
}

// Only one character, and only a "/": a trailing backslash stays.
std::string semBarraFinal(std::string caminho) {
  if (!caminho.empty() && caminho.back() == '/') caminho.pop_back();
  return caminho;
}

char minusculaAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares `nome` with the same number of characters at `posicao`; the
// text's terminator stops the comparison, as it never equals a name letter.
bool comecaCom(const char* posicao, const EntradaMacro& entrada) {
  for (int32_t i = 0; i < entrada.tamanhoNome; ++i) {
    if (posicao[i] == '\0' || minusculaAscii(posicao[i]) != minusculaAscii(entrada.nome[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

Data obtemData(const LocalTime& agora) { return {agora.year, agora.month, agora.day}; }

Hora obtemHora(const LocalTime& agora) { return {agora.hour, agora.minute}; }

void montaTabelaMacros(TabelaMacros& tabela, const char* raiz, const char* carimbo) {
  std::string diretorio = leDiretorioTelvorin(raiz);
  const LocalTime agora = platform().localNow();
  const Data data = obtemData(agora);
  const Hora hora = obtemHora(agora);
  tabela = TabelaMacros{};

  size_t proxima = 0;
  auto preenche = [&](const char* nome, std::optional<std::string> valor) {
    EntradaMacro& entrada = tabela[proxima++];
    copia(entrada.nome, sizeof entrada.nome, nome);
    entrada.tamanhoNome = static_cast<int32_t>(std::char_traits<char>::length(entrada.nome));
    entrada.valor = std::move(valor);
  };

  const std::string aa = decimal("%02d", data.ano % 100);
  const std::string mm = decimal("%02d", data.mes);
  const std::string dd = decimal("%02d", data.dia);
  const std::string hh = decimal("%02d", hora.hora);
  const std::string mi = decimal("%02d", hora.minuto);

  preenche("&QVDIR", semBarraFinal(raiz));
  preenche("&AA", aa);
  preenche("&MM", mm);
  preenche("&DD", dd);
  preenche("&HH", hh);
  preenche("&MI", mi);
  preenche("&YY", decimal("%04d", data.ano));
  preenche("&MES", abreviaturaMes(data.mes));

  constexpr const char* kNomesCarimbo[kCamposDataCarimbo] = {"&PAA", "&PMM", "&PDD", "&PHH",
                                                             "&PMI"};
  if (carimbo != nullptr) {
    CamposCarimbo lido = leCarimbo(carimbo);
    for (int i = 0; i < kCamposDataCarimbo; ++i) {
      preenche(kNomesCarimbo[i],
               i < lido.lidos ? std::optional<std::string>(lido.campos[i]) : std::nullopt);
    }
  } else {
    const std::string* agoraTexto[kCamposDataCarimbo] = {&aa, &mm, &dd, &hh, &mi};
    for (int i = 0; i < kCamposDataCarimbo; ++i) preenche(kNomesCarimbo[i], *agoraTexto[i]);
  }

  preenche("&TELVORIN", semBarraFinal(std::move(diretorio)));
}

int32_t procuraMacro(const char* posicao, char (&trabalho)[kTamanhoTrabalho],
                     const TabelaMacros& tabela, Substituicao& substituicao) {
  for (const EntradaMacro& entrada : tabela) {
    if (entrada.tamanhoNome == 0) break;
    if (!comecaCom(posicao, entrada)) continue;
    substituicao = !entrada.valor ? Substituicao::SemValor
                   : copia(trabalho, sizeof trabalho, entrada.valor->c_str()) ? Substituicao::Feita
                                                                               : Substituicao::Longa;
    return entrada.tamanhoNome;
  }
  return 0;
}

void liberaTabelaMacros(TabelaMacros& tabela) {
  for (EntradaMacro& entrada : tabela) entrada.valor.reset();
}

}  // namespace torvex
