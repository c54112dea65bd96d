#include "upload/empacota_arquivo.h"

#include <cstring>

#include "arj/exec_arj.h"
#include "platform/file.h"
#include "upload/grava_controle_upload.h"
#include "upload/nomes_upload.h"

namespace torvex {

bool preparaPacote(PacoteUpload& p, const char* area, const char* privado, const char* origem,
                   const char* nomeArquivo, const char* nomeControle) {
  // A double quote would end the quoted path inside the command line.
  if (std::strchr(origem, '"') || std::strchr(privado, '"')) return false;
  // The record's first line holds the source path with its line feed.
  if (std::strlen(origem) + 1 >= kTamanhoCaminho) return false;
  return copia(p.origem, sizeof p.origem, origem) &&
         formata(p.arquivo, sizeof p.arquivo, "%s/%s", area, nomeArquivo) &&
         formata(p.arquivoTemporario, sizeof p.arquivoTemporario, "%s/%s", privado, nomeArquivo) &&
         formata(p.controle, sizeof p.controle, "%s/%s", area, nomeControle) &&
         formata(p.controleTemporario, sizeof p.controleTemporario, "%s/%s", privado, nomeControle) &&
         formata(p.comandoAdiciona, sizeof p.comandoAdiciona, "a \"%s\" \"%s\"",
                 p.arquivoTemporario, p.origem) &&
         formata(p.comandoTesta, sizeof p.comandoTesta, "t \"%s\"", p.arquivoTemporario);
}

bool nomeLivreParaOrigem(const PacoteUpload& p) {
  // An archive without its record names no source, so replacing it loses
  // nothing (a pair is published record first).
  if (!pathExists(p.arquivo) || !pathExists(p.controle)) return true;
  char origem[kTamanhoCaminho], dataHora[kTamanhoCaminho];
  return leControleUpload(p.controle, origem, dataHora) &&
         chaveCaminho(origem) == chaveCaminho(p.origem);
}

ResultadoPacote empacotaArquivo(const PacoteUpload& p, const char* dataHora) {
  // "a" adds to an archive that exists; a leftover of a crashed call must go.
  platform().deleteFile(p.arquivoTemporario);
  long adiciona = ExecArj(p.comandoAdiciona, 0);
  long testa = ExecArj(p.comandoTesta, 0);
  if (adiciona + testa != 0) {
    platform().deleteFile(p.arquivoTemporario);
    return ResultadoPacote::FalhaBiblioteca;
  }
  if (gravaControleUpload(p.controleTemporario, p.origem, dataHora) != 0) {
    platform().deleteFile(p.arquivoTemporario);
    return ResultadoPacote::NaoGuardado;
  }
  return ResultadoPacote::Preparado;
}

}  // namespace torvex
