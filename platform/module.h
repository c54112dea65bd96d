// Loaded modules: where a library or the executable lives, and loading a
// library at run time to call its exports. Free functions, apart from the
// Platform class, because hosts and servers need them before and beyond it.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex {

struct ModuleHandle;

// The full, real path of the module that holds `address` (the long form, not
// an 8.3 alias, links resolved); empty when it cannot be found.
std::string modulePath(const void* address);

// The running executable's full path; empty when unknown.
std::string executablePath();

// File name of this component's library as it is built on this platform.
const char* componentLibraryName();

// The module path as the type-library calls take it.
std::basic_string<OLECHAR> modulePathOle(const std::string& path);

ModuleHandle* loadModule(const char* path);  // null on failure
void* moduleSymbol(ModuleHandle* module, const char* name);  // null when missing
void unloadModule(ModuleHandle* module);

}  // namespace torvex
