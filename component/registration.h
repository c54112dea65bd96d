// The server's entries under HKEY_CLASSES_ROOT and its type library:
// what DllRegisterServer writes and DllUnregisterServer removes.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex {

// Writes every entry, the class key and its Programmable key made afresh
// (nothing stale survives beneath them), InprocServer32 = `modulePath` as it
// stands. On the first entry that cannot be written, removes them all again
// and returns REGDB_E_WRITEREGDB.
HRESULT registraEntradas(const std::string& modulePath);

// Removes the ProgID keys and the class key with everything beneath them;
// HKEY_CLASSES_ROOT\CLSID stays. Keys already gone are no failure.
void removeEntradas();

// Loads the type library from the module file, else from the ".tlb" file
// beside it, and registers it. The failure of either is returned.
HRESULT registraTypeLib(const std::string& modulePath);

// Unregisters the type library found as registraTypeLib finds it, if it is found.
void removeTypeLib(const std::string& modulePath);

}  // namespace torvex
