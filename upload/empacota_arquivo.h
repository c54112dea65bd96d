// One found file's way into the outgoing work area: add and test through the
// archive library under the archive's own name in the tree's private work
// folder, and the record beside it. The batch (lote_upload.h) makes them
// durable and publishes them into the work area.
#pragma once

#include "conventions/conventions.h"
#include "com/com.h"

namespace torvex {

// Command lines are held in 512 bytes.
constexpr size_t kTamanhoComando = 512;

// Every text one file's pass needs, built and length-checked before anything
// on disk is touched. The archive and record are made under their final
// names in the private folder, so the listing of waiting archives
// ("f*_*.arj") never sees a half-made one, and the archive library is handed
// the archive's own name.
struct PacoteUpload {
  char origem[kTamanhoCaminho];
  char arquivo[kTamanhoCaminho];
  char arquivoTemporario[kTamanhoCaminho];
  char controle[kTamanhoCaminho];
  char controleTemporario[kTamanhoCaminho];
  char comandoAdiciona[kTamanhoComando];
  char comandoTesta[kTamanhoComando];
};

// Fills `p` for the file `nomeArquivo`/`nomeControle` name in `area`, made
// first in `privado`, the source being `origem`. False when a text would not
// fit or a path cannot be quoted in a command line; the file is then left alone.
bool preparaPacote(PacoteUpload& p, const char* area, const char* privado, const char* origem,
                   const char* nomeArquivo, const char* nomeControle);

// Whether the archive name is free for this source: no archive of that name
// waits in the work area, or the one that waits holds this very source (its
// record's first line names the same file), or it has no record at all and
// so names no source: packing replaces it. An archive that waits for the host
// with another file, or with a record that cannot be read, may be that file's
// only copy and must not be replaced.
bool nomeLivreParaOrigem(const PacoteUpload& p);

enum class ResultadoPacote {
  Preparado,        // archive and record stand under their temporary names
  FalhaBiblioteca,  // add + test was not 0; nothing of this file is left
  NaoGuardado,      // the record could not be written; nothing is left
};

// Packs and tests the source into the temporary archive, then writes the
// record with `dataHora` under its temporary name.
ResultadoPacote empacotaArquivo(const PacoteUpload& p, const char* dataHora);

}  // namespace torvex
