#include <atomic>

#include "platform/platform.h"

namespace torvex {
namespace {

std::atomic<Platform*> gInstalled{nullptr};

}  // namespace

Platform& platform() {
  Platform* p = gInstalled.load(std::memory_order_acquire);
  return p ? *p : nativePlatform();
}

Platform* installPlatform(Platform* p) {
  Platform* previous = gInstalled.exchange(p, std::memory_order_acq_rel);
  return previous ? previous : &nativePlatform();
}

}  // namespace torvex
