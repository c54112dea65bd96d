#include "upload/nomes_upload.h"

#include <cstring>

#include "platform/win_path.h"

namespace torvex {

namespace {

bool temCuringa(std::string_view texto) { return texto.find_first_of("*?") != texto.npos; }

// Splits at the first "." into base and extension (which may hold dots).
void separaNoPrimeiroPonto(std::string_view nome, std::string_view& base,
                           std::string_view& extensao) {
  size_t ponto = nome.find('.');
  base = nome.substr(0, ponto);
  extensao = ponto == nome.npos ? std::string_view() : nome.substr(ponto + 1);
}

}  // namespace

int extraiDiretorio(const char* caminho, char (&diretorio)[kTamanhoCaminho]) {
  const char* barra = std::strrchr(caminho, '/');
  if (!barra) return -1;
  size_t n = static_cast<size_t>(barra - caminho);
  if (n >= kTamanhoCaminho) return -1;
  std::memcpy(diretorio, caminho, n);
  diretorio[n] = '\0';
  return 0;
}

bool montaNomesUpload(char* nome, LONG lIndice, char (&arquivo)[kTamanhoCaminho],
                      char (&controle)[kTamanhoCaminho]) {
  for (char* p = nome; *p; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  }
  char radical[kTamanhoCaminho];
  if (!copia(radical, sizeof radical, nome)) return false;
  if (char* ponto = std::strrchr(radical, '.')) *ponto = '_';
  return formata(arquivo, sizeof arquivo, "F%d_%s.ARJ", static_cast<int>(lIndice), radical) &&
         formata(controle, sizeof controle, "F%d_%s.DAT", static_cast<int>(lIndice), radical);
}

bool montaNomeDestino(const char* diretorioFI, const char* nome, char* expressao,
                      char (&destino)[kTamanhoCaminho]) {
  std::string_view base, extensao;
  separaNoPrimeiroPonto(nome, base, extensao);

  normalizaPath(expressao);
  std::string_view alvo = expressao, diretorio = diretorioFI;
  if (size_t barra = alvo.rfind('/'); barra != alvo.npos) {
    diretorio = alvo.substr(0, barra);
    alvo.remove_prefix(barra + 1);
  }
  std::string_view novaBase, novaExtensao;
  separaNoPrimeiroPonto(alvo, novaBase, novaExtensao);

  bool baseHerdada = temCuringa(novaBase);
  if (baseHerdada) novaBase = base;
  if (baseHerdada && novaExtensao.empty()) novaExtensao = extensao;
  if (temCuringa(novaExtensao)) novaExtensao = extensao;

  return formata(destino, sizeof destino, "%.*s/%.*s.%.*s", static_cast<int>(diretorio.size()),
                 diretorio.data(), static_cast<int>(novaBase.size()), novaBase.data(),
                 static_cast<int>(novaExtensao.size()), novaExtensao.data());
}

std::string chaveCaminho(std::string_view caminho) {
  const size_t barra = caminho.find_last_of("/\\");
  if (barra == caminho.npos) return std::string(caminho);
  const winpath::ParsedPath partes = winpath::parse(caminho.substr(0, barra + 1));
  std::string chave;
  switch (partes.root) {
    case winpath::Root::Drive:
      chave = std::string(1, static_cast<char>('a' + partes.drive - 1)) +
              (partes.driveRelative ? ":" : ":/");
      break;
    case winpath::Root::Absolute:
      chave = "/";
      break;
    case winpath::Root::Network:
      chave = "//";
      break;
    case winpath::Root::Relative:
      break;
  }
  for (const std::string& diretorio : partes.components) chave += dobraCaixa(diretorio) + "/";
  return chave.append(caminho.substr(barra + 1));
}

}  // namespace torvex
