#include <mutex>

#include "platform/process_lock.h"

namespace torvex {

struct ProcessLock::State {
  std::mutex mutex;
};

ProcessLock::ProcessLock() : state_(new State) {}
ProcessLock::~ProcessLock() { delete state_; }
void ProcessLock::lock() { state_->mutex.lock(); }
void ProcessLock::unlock() { state_->mutex.unlock(); }

}  // namespace torvex
