// The four entry points of the in-process server, for hosts and tools that
// link the server rather than load it.
#pragma once

#include "com/com.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
STDAPI DllCanUnloadNow();
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();
