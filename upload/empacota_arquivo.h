// One found file's way into the outgoing work area: add and test through the
// archive library, then the record and the archive made durable, record first.
#pragma once

#include "component/conventions.h"
#include "platform/com.h"

namespace torvex {

// Command lines are held in 512 bytes.
constexpr size_t kTamanhoComando = 512;

// Every text one file's pass needs, built and length-checked before anything
// on disk is touched. The temporary names end in ".tmp", so the listing of
// waiting archives ("f*_*.arj") never sees a half-made archive or record.
struct PacoteUpload {
  char origem[kTamanhoCaminho];
  char arquivo[kTamanhoCaminho];
  char arquivoTemporario[kTamanhoCaminho];
  char controle[kTamanhoCaminho];
  char controleTemporario[kTamanhoCaminho];
  char comandoAdiciona[kTamanhoComando];
  char comandoTesta[kTamanhoComando];
};

// Fills `p` for the file `nomeArquivo`/`nomeControle` name in `area`, the
// source being `origem`. False when a text would not fit or a path cannot be
// quoted in a command line; the file is then left alone.
bool preparaPacote(PacoteUpload& p, const char* area, const char* origem,
                   const char* nomeArquivo, const char* nomeControle);

// Whether the archive name is free for this source: no archive of that name
// waits in the work area, or the one that waits holds this very source (its
// record's first line names the same file), so packing it again replaces it.
// An archive that waits for the host with another file, or without a readable
// record, is that file's only copy and must not be replaced.
bool nomeLivreParaOrigem(const PacoteUpload& p);

enum class ResultadoPacote {
  Guardado,         // archive and record are on disk for good
  FalhaBiblioteca,  // add + test was not 0; nothing of this file is left
  NaoGuardado,      // a disk step failed; the source must stay
};

// Packs and tests the source, then writes the record with `dataHora` and
// publishes record and archive. Whatever fails, no archive of this file is
// left without its record.
ResultadoPacote empacotaArquivo(const PacoteUpload& p, const char* area, const char* dataHora);

}  // namespace torvex
