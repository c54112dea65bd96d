// The process-wide lock on Windows: a critical section, which every thread of
// the process shares whatever its apartment.
#include <windows.h>

#include "platform/win_backend.h"

namespace torvex {

struct LockHandle {
  CRITICAL_SECTION section;
};

namespace win {

LockHandle* createLock() {
  auto* l = new LockHandle;
  InitializeCriticalSection(&l->section);
  return l;
}

void lock(LockHandle* l) { EnterCriticalSection(&l->section); }
void unlock(LockHandle* l) { LeaveCriticalSection(&l->section); }

void destroyLock(LockHandle* l) {
  DeleteCriticalSection(&l->section);
  delete l;
}

}  // namespace win
}  // namespace torvex
