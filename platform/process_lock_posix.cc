#include <mutex>

#include "platform/posix_backend.h"

namespace torvex {

struct LockHandle {
  std::mutex mutex;
};

namespace posix {

LockHandle* PosixPlatform::createLock() { return new LockHandle; }
void PosixPlatform::lock(LockHandle* l) { l->mutex.lock(); }
void PosixPlatform::unlock(LockHandle* l) { l->mutex.unlock(); }
void PosixPlatform::destroyLock(LockHandle* l) { delete l; }

}  // namespace posix
}  // namespace torvex
