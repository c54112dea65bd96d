#include "download/entrega.h"

#include "download/anexa_arquivo.h"
#include "platform/file.h"

namespace torvex {
namespace {

// The archive's creation time, unless the data file is still there (its
// delete after an append failed): then that file's last-write time.
LocalTime horaRegistro(const char* origem, int64_t criacaoArquivo) {
  DirSearch restante(origem);
  return platform().toLocalTime(restante.found() ? restante.entry().lastWriteTime
                                                 : criacaoArquivo);
}

bool entregaPorAnexo(const char* origem, const Colocacao& colocacao, ControleDownload& controle,
                     const DadosRegistro& dados) {
  uint64_t tamanhoAnterior = 0;
  if (anexaArquivo(origem, colocacao.final, tamanhoAnterior) != kAnexoFeito) return false;
  // A data file that cannot be deleted stays behind; its bytes are delivered.
  platform().deleteFile(origem);
  std::string registro = montaRegistro(dados.carimbo, dados.nomeArquivo, colocacao.final,
                                       horaRegistro(origem, dados.criacaoArquivo));
  if (controle.grava(registro)) return true;
  desfazAnexo(colocacao.final, tamanhoAnterior);
  return false;
}

// The extracted data file reaches the disk before its name is published:
// extraction leaves that to the delivery.
bool sincroniza(const char* caminho) {
  File arquivo(caminho, OpenMode::ReadWrite);
  return arquivo && arquivo.sync() && arquivo.close();
}

// A rename cannot be taken back once the old destination is gone, so the
// record goes first and is cut off again if the rename fails.
bool entregaPorRenomeacao(const char* origem, const Colocacao& colocacao,
                          ControleDownload& controle, const DadosRegistro& dados) {
  if (!sincroniza(origem)) return false;
  std::string registro = montaRegistro(dados.carimbo, dados.nomeArquivo, colocacao.final,
                                       platform().toLocalTime(dados.criacaoArquivo));
  if (!controle.grava(registro)) return false;
  bool colocado = colocacao.modo == ModoEntrega::Substitui
                      ? platform().replaceFile(origem, colocacao.final)
                      : platform().moveFile(origem, colocacao.final);
  if (colocado) return true;
  controle.retira();
  return false;
}

}  // namespace

bool entrega(const char* origem, const Colocacao& colocacao, ControleDownload& controle,
             const DadosRegistro& dados) {
  return colocacao.modo == ModoEntrega::Anexa
             ? entregaPorAnexo(origem, colocacao, controle, dados)
             : entregaPorRenomeacao(origem, colocacao, controle, dados);
}

}  // namespace torvex
