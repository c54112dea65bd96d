// The class factory of Controlador. The class table keeps one reference to
// it; only references beyond that one keep the library loaded.
#pragma once

#include "com/com.h"

namespace torvex {

// A new factory holding the class table's one reference; null when out of memory.
IClassFactory* newControladorFactory();

}  // namespace torvex
