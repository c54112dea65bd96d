// The received archives in the order a pass takes them, shared by the pass
// and by its dry run.
#pragma once

#include <functional>

#include "conventions/conventions.h"
#include "platform/platform.h"

namespace torvex {

// "%s%s/D?????.ARJ" with the root and "/Intray/Work"; false when it does not fit.
bool padraoRecebidos(const char* raiz, char (&padrao)[kTamanhoCaminho]);

// Older systems cannot be trusted to list a directory while it changes, so
// there the listing is collected first and then processed.
bool listaAntesDeProcessar();

// Hands each archive matching `padrao` to `trata` in the pass's order: as the
// search yields it (direct mode), or, collected first, the first 999 listed
// from the last back to the first; later ones go to `adia`, as they wait for
// a later pass. Archives that `ignora` picks are passed over as if not
// listed (a dry run's: those a pending plan takes first). False when the
// search finds nothing.
bool percorreRecebidos(const char* padrao, bool coleta,
                       const std::function<void(const DirEntry&)>& trata,
                       const std::function<void(const DirEntry&)>& adia,
                       const std::function<bool(const DirEntry&)>& ignora = {});

}  // namespace torvex
