// The subcommands of `torvex` other than the method calls. Each lives in its
// own file; to add one, write its function and add one line to the table in
// subcommands.cc.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace torvex::cli {

struct Subcommand {
  const char* name;     // as typed: "demo", "--help"
  const char* synopsis;  // "arj 'COMMAND LINE'"
  const char* summary;   // one or more lines for --help
  // Receives the arguments after the name; returns the exit status.
  int (*run)(std::span<char* const> args);
};

std::span<const Subcommand> subcommands();
const Subcommand* findSubcommand(const char* name);
// Every name the first argument may be: the methods, then the subcommands.
std::vector<std::string_view> commandNames();

int runHelp(std::span<char* const> args);
int runHelpOn(std::span<char* const> args);
int runVersion(std::span<char* const> args);
int runArj(std::span<char* const> args);
int runExpand(std::span<char* const> args);
int runStatus(std::span<char* const> args);
int runDemo(std::span<char* const> args);
int runRegister(std::span<char* const> args);
int runUnregister(std::span<char* const> args);
int runDispatch(std::span<char* const> args);

}  // namespace torvex::cli
