// The one table that says what the host sees of this component: the library,
// the class, the interface, its seven methods with their DISPIDs, parameters
// and doc strings, and the three GUIDs. The IDL and the type information
// served on POSIX are both made from it.
#pragma once

#include "com/com.h"

namespace torvex {

extern const TypeLibDescription kTorvexTypeLib;

extern const GUID kLibidTorvexLib;
extern const CLSID kClsidControlador;
extern const IID kIidIControlador;

constexpr WORD kTorvexLibMajor = 1;
constexpr WORD kTorvexLibMinor = 0;

}  // namespace torvex
