// Runs a program to its end as a host would start it, without a shell: the
// arguments reach it as given, and what it writes to its standard output and
// error comes back apart.
#pragma once

#include <string>
#include <vector>

namespace torvex::testing {

struct ChildRun {
  int exitCode = -1;  // -1: it did not start, or did not end by exiting
  std::string out;
  std::string err;
};

// `environment`: "NAME=value" entries that the child gets in place of, or
// beside, this process's own variables of those names.
ChildRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment = {});

// Starts the program with its standard output discarded and, unless it has
// ended `killAfterMs` milliseconds later, kills it as a crash would (SIGKILL;
// TerminateProcess on Windows); a negative delay waits for its end. True when
// it was killed.
bool runProgramKilledAfter(const std::string& program, const std::vector<std::string>& arguments,
                           int killAfterMs);

// This process's environment with `changes` ("NAME=value") replacing the
// entries of their names, the rest added.
std::vector<std::string> environmentWith(const std::vector<std::string>& changes);

}  // namespace torvex::testing
