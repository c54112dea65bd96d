// A process-wide lock that component code can hold without OS headers, made
// and taken through the live platform so a wrapper sees every use: std::mutex
// on POSIX, a critical section on Windows (whose C++ library may lack
// std::mutex).
#pragma once

#include "platform/platform.h"

namespace torvex {

class ProcessLock {
 public:
  ProcessLock() : handle_(platform().createLock()) {}
  ~ProcessLock() { platform().destroyLock(handle_); }
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;

  void lock() { platform().lock(handle_); }
  void unlock() { platform().unlock(handle_); }

  // Holds the lock for its scope.
  class Guard {
   public:
    explicit Guard(ProcessLock& l) : lock_(l) { lock_.lock(); }
    ~Guard() { lock_.unlock(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    ProcessLock& lock_;
  };

 private:
  LockHandle* handle_;
};

}  // namespace torvex
