// A wrapper of the live platform that is installed for its lifetime: derive
// from it and override what a test or a benchmark changes; the previous
// platform comes back when it goes out of scope.
#pragma once

#include "platform/platform.h"

namespace torvex {

class ScopedPlatform : public ForwardingPlatform {
 public:
  ScopedPlatform() : ForwardingPlatform(platform()), previous_(installPlatform(this)) {}
  ~ScopedPlatform() override { installPlatform(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace torvex
