// The command line speaks UTF-8; the interface speaks UTF-16 BSTRs.
#pragma once

#include <string>
#include <string_view>

#include "com/com.h"  // Bstr

namespace torvex::cli {

// Invalid bytes become U+FFFD, as the Windows conversion does.
Bstr bstrFromUtf8(std::string_view text);
// A null BSTR gives the empty text.
std::string utf8FromBstr(BSTR bstr);

}  // namespace torvex::cli
