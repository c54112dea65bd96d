// The server's entries under HKEY_CLASSES_ROOT and its type library:
// what DllRegisterServer writes and DllUnregisterServer removes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/com.h"

namespace torvex {

// Writes every entry, the class key and its Programmable key made afresh
// (nothing stale survives beneath them), InprocServer32 = `modulePath` as it
// stands. On the first entry that cannot be written, removes them all again
// and returns REGDB_E_WRITEREGDB.
HRESULT registraEntradas(const std::string& modulePath);

// Removes the ProgID keys and the class key with everything beneath them;
// HKEY_CLASSES_ROOT\CLSID stays. Keys already gone are no failure.
void removeEntradas();

// The entries that registraEntradas writes, as data for an installer that
// writes them itself: the key (under HKEY_CLASSES_ROOT), the value's name
// (empty: the default value) and its data (none: the key alone), and whether
// removeEntradas removes the key with everything beneath it. Keys that
// registration only opens (HKEY_CLASSES_ROOT\CLSID) are not listed.
// `refeitaAoRegistrar` marks the keys that registraEntradas deletes with
// their subtrees before writing them afresh.
struct EntradaRegistro {
  std::string chave;
  std::string valor;
  std::optional<std::string> dado;
  bool removidaComSubchaves;
  bool refeitaAoRegistrar;
};
std::vector<EntradaRegistro> entradasRegistro(const std::string& modulePath);

// Loads the type library from the module file, else from the ".tlb" file
// beside it, and registers it. The failure of either is returned.
HRESULT registraTypeLib(const std::string& modulePath);

// Unregisters the type library found as registraTypeLib finds it, if it is found.
void removeTypeLib(const std::string& modulePath);

}  // namespace torvex
