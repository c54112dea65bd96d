// The in-process server's module state: the lock count that says whether the
// library may unload, the process-wide module lock, the class table with its
// cached class factory, and the routines to run at unload.
#pragma once

#include <atomic>
#include <vector>

#include "com/com.h"
#include "platform/process_lock.h"

namespace torvex {

using ModuleLock = ProcessLock;

class ServerModule {
 public:
  ServerModule();   // what loading the library does
  ~ServerModule();  // what unloading it does: unload()
  ServerModule(const ServerModule&) = delete;
  ServerModule& operator=(const ServerModule&) = delete;

  LONG lock() { return ++lockCount_; }
  LONG unlock() { return --lockCount_; }
  LONG lockCount() const { return lockCount_; }
  ModuleLock& moduleLock() { return moduleLock_; }

  // Runs `routine` at unload, once. The caller holds the module lock.
  void atUnload(void (*routine)()) { unloadList_.push_back(routine); }

  // DllGetClassObject: the class factory of a class in the table, made on
  // the first request and cached, asked for `riid`.
  HRESULT classObject(REFCLSID clsid, REFIID riid, void** ppv);

  // Releases the cached class factory and runs the unload list; the module
  // stays usable (the next request makes them again). Tests call it to start
  // from a freshly loaded state.
  void unload();

 private:
  std::atomic<LONG> lockCount_{0};
  ModuleLock moduleLock_;
  std::vector<void (*)()> unloadList_;
  IClassFactory* cachedFactory_ = nullptr;
};

ServerModule& serverModule();

}  // namespace torvex
