// One received archive taken from "/Intray/Work" into a batch of deliveries:
// decided as a dry run decides it (decisao_recebido.h), then planned.
#pragma once

#include "download/decisao_recebido.h"
#include "download/lote_entrega.h"
#include "platform/platform.h"

namespace torvex {

// Decides the archive; one to be delivered joins `lote`, which first runs
// when the delivery concerns one of its files. An archive that cannot be
// placed stays for a later pass, its extracted members removed. False when
// a batch could not be finished: the pass stops.
bool processaRecebido(const char* raiz, const BandejasRecebimento& bandejas,
                      BookkeepingFiles& proprios, const DirEntry& arquivo, LoteEntrega& lote);

}  // namespace torvex
