// The process-wide lock on Windows: a critical section, which every thread of
// the process shares whatever its apartment.
#include <windows.h>

#include "platform/process_lock.h"

namespace torvex {

struct ProcessLock::State {
  CRITICAL_SECTION section;
};

ProcessLock::ProcessLock() : state_(new State) { InitializeCriticalSection(&state_->section); }

ProcessLock::~ProcessLock() {
  DeleteCriticalSection(&state_->section);
  delete state_;
}

void ProcessLock::lock() { EnterCriticalSection(&state_->section); }
void ProcessLock::unlock() { LeaveCriticalSection(&state_->section); }

}  // namespace torvex
