// The exported entry, alone in its object: a static link takes it only
// where ExecArj is called without importing it.
#include "arj/exec_arj.h"
#include "arj/run_command.h"

extern "C" int TORVEX_ARJ_CALL ExecArj(const char* commandLine, int reserved) {
  return torvex::arj::runCommand(commandLine, reserved);
}
