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

ChildRun runProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace torvex::testing
