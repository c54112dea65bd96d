// Whether the test runs under Wine. Where Wine answers differently from
// Windows (docs/wine-departures.md), a test expects Wine's answer there and
// names the departure; elsewhere it expects the Windows answer.
#pragma once

namespace torvex::testing {

bool underWine();

}  // namespace torvex::testing
