// The Windows surroundings of the POSIX back end, read from the environment:
// drive letters, the registry file, the reported OS version, a fixed clock.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace torvex::posix {

struct Environment {
  std::array<std::string, 27> drives;  // [1] = A ... [26] = Z; empty when unmapped
  std::string registryPath;
  bool versionFails = false;
  uint32_t platformId = 2, majorVersion = 10;
  bool fixedNow = false;
  LocalTime now;
  std::string problem;  // the first malformed variable and entry; empty when all are sound
};

// The current snapshot; read from the variables on first use.
std::shared_ptr<const Environment> environment();

}  // namespace torvex::posix
