// The operator's guide to `torvex status` names every reason the command
// can give for an archive that stays or waits, and every problem of an
// upload, word for word, so that a line of its output can be looked up.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/tray_report.h"

namespace torvex::cli {
namespace {

// The guide with every run of blanks and line breaks as one space: a
// reason may be wrapped anywhere.
std::string guide() {
  std::ifstream in(std::string(TORVEX_SOURCE_DIR) + "/docs/cli.md", std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  std::string flat;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (!blank) {
      flat += c;
    } else if (!flat.empty() && flat.back() != ' ') {
      flat += ' ';
    }
  }
  return flat;
}

TEST(ReasonsDocumented, EveryReasonStatusGivesIsInTheGuide) {
  const std::string text = guide();
  ASSERT_FALSE(text.empty()) << "docs/cli.md cannot be read";
  const std::vector<std::string> reasons = reasonsGiven();
  EXPECT_GE(reasons.size(), 20u);  // every motive of the pass, and the report's own
  for (const std::string& reason : reasons) {
    EXPECT_NE(text.find("`" + reason + "`"), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace torvex::cli
