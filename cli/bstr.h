// The command line speaks the ANSI code page (UTF-8 on POSIX, where a byte
// that is not UTF-8 is carried as it is); the interface speaks UTF-16 BSTRs.
// Both ways are exact, so a name the command prints, typed back, reaches the
// same file.
#pragma once

#include <string>
#include <string_view>

#include "com/com.h"  // Bstr

namespace torvex::cli {

Bstr bstrFromText(std::string_view text);
// A null BSTR gives the empty text, and so does one without an exact ANSI
// form (the component never returns one: its results come from ANSI text).
std::string textFromBstr(BSTR bstr);

}  // namespace torvex::cli
