// What the POSIX back end offers beyond platform.h.
#pragma once

namespace torvex {

// Reads TORVEX_DRIVES, TORVEX_REGISTRY, TORVEX_WINVER and TORVEX_NOW again
// (the back end otherwise reads them once, on first use) and forgets every
// cached directory listing. For tests that change them at run time.
void reloadEnvironment();

}  // namespace torvex
