// The version query answered as GetVersionExA would on another machine: the
// Win32 back end asks Windows itself and reads no variable, so a test that
// wants a collecting or direct pass answers in its place, on both back ends.
// Installed for its lifetime.
#pragma once

#include <cstdint>

#include "platform/scoped_platform.h"

namespace torvex::testing {

class FixedVersion : public ScopedPlatform {
 public:
  // `answers` false: the query fails, as an unreadable version does.
  FixedVersion(bool answers, uint32_t platformId, uint32_t major)
      : answers_(answers), platformId_(platformId), major_(major) {}
  bool osVersion(uint32_t& platformId, uint32_t& major) override {
    platformId = platformId_;
    major = major_;
    return answers_;
  }

 private:
  bool answers_;
  uint32_t platformId_, major_;
};

}  // namespace torvex::testing
