// The IDL source of the type library, written from the interface table. The
// committed torvex.idl is this text; a test keeps the two equal.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex {

std::string idlText(const TypeLibDescription& lib);

}  // namespace torvex
