// GUIDs as registry and IDL text: upper-case hex, "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX".
#pragma once

#include <string>

#include "com/com.h"

namespace torvex {

std::string guidText(const GUID& g);         // without braces, as IDL writes it
std::string guidTextBraced(const GUID& g);   // "{...}", as the registry keeps it

}  // namespace torvex
