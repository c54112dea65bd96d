// The directory that the registry records for the program Telvorin.
#pragma once

#include <string>

namespace torvex {

// The text of HKEY_LOCAL_MACHINE\Software\Norvalis\Telvorin, value
// "Telvorin", as it stands (no separator removed). The root path when the key
// or value is missing or unreadable, or its data does not fit 255 characters
// and a terminator.
std::string leDiretorioTelvorin(const char* raiz);

}  // namespace torvex
