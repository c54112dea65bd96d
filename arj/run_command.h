// What ExecArj does, apart from the exported entry (exec_arj_entry.cc), so
// that a program may link the archive library's checks while it imports
// ExecArj from Arjlib32.dll, as torvex.exe does.
#pragma once

namespace torvex::arj {

// ExecArj's whole contract: the error level of one command line.
int runCommand(const char* commandLine, int reserved);

}  // namespace torvex::arj
