// `torvex expand FI [ROOT [STAMP]]`: the FI expander on its own, with the root
// normalised as the methods normalise it. Texts go as typed (the ANSI code
// page, UTF-8 on POSIX), each in a 256-byte buffer as the component holds it.
#include <cstdio>
#include <string>

#include "cli/subcommands.h"
#include "cli/usage.h"
#include "conventions/conventions.h"
#include "macros/trata_macro_fi.h"

namespace torvex::cli {

namespace {

bool copyArgument(const char* name, const char* text, char (&buffer)[kTamanhoCaminho]) {
  if (copia(buffer, sizeof buffer, text)) return true;
  usageError(std::string(name) + " is longer than 255 bytes");
  return false;
}

}  // namespace

int runExpand(std::span<char* const> args) {
  if (args.empty() || args.size() > 3) return usageError("expand takes FI [ROOT [STAMP]]");
  char fi[kTamanhoCaminho], root[kTamanhoCaminho] = "", carimbo[kTamanhoCaminho];
  if (!copyArgument("FI", args[0], fi)) return kExitUsage;
  if (args.size() > 1 && !copyArgument("ROOT", args[1], root)) return kExitUsage;
  if (args.size() > 2 && !copyArgument("STAMP", args[2], carimbo)) return kExitUsage;
  normalizaPath(root);
  char output[kTamanhoCaminho] = "";
  trataMacroFI(output, fi, root, args.size() > 2 ? carimbo : nullptr);
  std::printf("%s\n", output);
  return kExitOk;
}

}  // namespace torvex::cli
