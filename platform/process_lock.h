// A process-wide lock that component code can hold without OS headers:
// std::mutex on POSIX, a critical section on Windows (whose C++ library may
// lack std::mutex).
#pragma once

namespace torvex {

class ProcessLock {
 public:
  ProcessLock();
  ~ProcessLock();
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;

  void lock();
  void unlock();

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
  struct State;
  State* state_;
};

}  // namespace torvex
