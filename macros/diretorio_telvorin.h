// The directory that the registry records for the program Telvorin.
#pragma once

#include <optional>
#include <string>

namespace torvex {

// The text of HKEY_LOCAL_MACHINE\Software\Norvalis\Telvorin, value
// "Telvorin", as it stands; nothing when the key or value is missing or
// unreadable, or its data does not fit 255 characters and a terminator.
// The Win32 back end reads HKEY_LOCAL_MACHINE in its 32-bit view, so the
// x86 and the x64 library read the same value (README, Windows).
std::optional<std::string> valorTelvorin();

// valorTelvorin (no separator removed), or else the root path.
std::string leDiretorioTelvorin(const char* raiz);

}  // namespace torvex
