// One received archive taken from "/Intray/Work" to its delivered state.
#pragma once

#include "platform/platform.h"

namespace torvex {

// Extracts the archive into the incoming tray, reads its name descriptor,
// expands the destination, places the data file and records the delivery,
// then deletes the archive and the descriptor. Whenever a step fails the
// archive stays in the work area for a later pass and nothing is delivered.
// True when the archive was delivered.
bool processaRecebido(const char* raiz, const DirEntry& arquivo);

}  // namespace torvex
