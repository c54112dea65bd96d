// The demo's status step: one more archive arrives that cannot be delivered,
// and `torvex status` shows what waits in the tree and why that one is stuck.
#include <cstdio>

#include "cli/demo.h"
#include "cli/read_only_platform.h"
#include "cli/tray_report.h"

namespace torvex::cli {

void demoStatus(Demo& demo) {
  demo.step("What waits in the tree: torvex status",
             "The component is silent: an archive it cannot deliver just stays in the\n"
             "incoming work area and is tried again on every pass. `torvex status ROOT`\n"
             "(or --json) tells an operator what waits and why, computing what the next\n"
             "pass would do with the pass's own routines, without changing a byte.\n"
             "Here an archive arrives whose destination directory does not exist.");
  if (!makeReceived(demo, 5, "&QVDIR/Arquivo/2026/relatorio.txt", "R", "held back\r\n")) {
    return;
  }
  std::printf("\n  $ torvex status %s\n", demo.root().c_str());
  std::fflush(stdout);
  ReadOnlyPlatform readOnly;
  const TrayReport report = inspectTray(demo.root().c_str());
  printText(report, stdout);
  std::printf("  (exit status %d)\n", report.needsOperator() ? 1 : 0);
  bool reported = false;
  for (const ReceivedItem& item : report.received) {
    reported = reported || (item.name == "D00005.ARJ" && !item.deliver &&
                            item.reason == "destination directory missing");
  }
  if (!reported) demo.fail("the stuck archive was not reported");
  if (readOnly.refused() != 0) demo.fail("status tried to change the tree");
}

}  // namespace torvex::cli
