// The process environment as the tests change it: TZ, and the POSIX back
// end's variables (docs/environment.md), which that back end then reads
// again. The Win32 back end reads none of them; on Windows only the C
// runtime's copy changes.
#pragma once

namespace torvex::testing {

void setVariable(const char* name, const char* value);  // a null value removes it

}  // namespace torvex::testing
