// `torvex status ROOT [--json]`: a read-only report of a tray tree. Runs
// under a platform that refuses every change, so it cannot alter a byte.
#include <cstdio>
#include <cstring>

#include "cli/read_only_platform.h"
#include "cli/subcommands.h"
#include "cli/tray_report.h"
#include "cli/usage.h"
#include "conventions/conventions.h"
#include "platform/platform.h"

namespace torvex::cli {

int runStatus(std::span<char* const> args) {
  const char* root = nullptr;
  bool asJson = false;
  for (const char* arg : args) {
    if (std::strcmp(arg, "--json") == 0 && !asJson) {
      asJson = true;
    } else if (arg[0] != '-' && !root) {
      root = arg;
    } else {
      return usageError("status takes ROOT [--json]");
    }
  }
  if (!root) return usageError("status takes ROOT [--json]");
  char normalized[kTamanhoCaminho];
  if (!copia(normalized, sizeof normalized, root)) return usageError("ROOT is longer than 255 bytes");
  normalizaPath(normalized);

  ReadOnlyPlatform readOnly;
  // A root that is not there holds nothing, which is not "nothing stuck".
  const uint32_t attributes = platform().fileAttributes(normalized);
  if (attributes == kInvalidAttributes || !(attributes & kAttrDirectory)) {
    std::fprintf(stderr, "torvex: status: no such root: %s\n", normalized);
    return kExitFailure;
  }
  const TrayReport report = inspectTray(normalized);
  if (readOnly.refused() != 0) {
    std::fprintf(stderr, "torvex: status: %ld change(s) to the tree were refused\n",
                 readOnly.refused());
  }
  if (asJson) {
    printJson(report, stdout);
  } else {
    printText(report, stdout);
  }
  return report.needsOperator() ? kExitFailure : kExitOk;
}

}  // namespace torvex::cli
