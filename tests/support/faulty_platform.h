// Wraps the live platform to fail one chosen operation, for tests that show
// nothing is lost whichever step of a call fails. Installed for its lifetime.
#pragma once

#include <string>
#include <vector>

#include "platform/scoped_platform.h"

namespace torvex::testing {

class FaultyPlatform : public ScopedPlatform {
 public:
  // The n-th (1-based) operation that changes or reads file contents or
  // names (open, read, write, seek, truncate, sync, close, create directory,
  // remove directory, delete, move, replace, link, sync directory, barrier,
  // lock) fails; 0 = none.
  void failAt(long n) { failAt_ = n; count_ = 0; log_.clear(); }
  long count() const { return count_; }  // such operations seen since failAt
  const std::vector<std::string>& log() const { return log_; }  // "op path" per operation
  // The Win32 code a failed operation leaves for lastError(); 31 unless set.
  void setFailureCode(uint32_t code) { failCode_ = code; }

  // A fixed local clock for localNow(); unset, the inner clock answers.
  void setNow(const LocalTime& t) { now_ = t; fixedNow_ = true; }

  FileHandle* openFile(const char* p, OpenMode m) override;
  long readFile(FileHandle* f, void* b, size_t n) override;
  long writeFile(FileHandle* f, const void* b, size_t n) override;
  bool seekFile(FileHandle* f, uint64_t o) override;
  bool truncateFile(FileHandle* f, uint64_t s) override;
  bool syncFile(FileHandle* f) override;
  bool closeFile(FileHandle* f) override;
  bool createDirectory(const char* p) override;
  bool removeDirectory(const char* p) override;
  bool deleteFile(const char* p) override;
  bool moveFile(const char* a, const char* b) override;
  bool replaceFile(const char* a, const char* b) override;
  bool linkFile(const char* a, const char* b) override;
  bool syncDirectory(const char* p) override;
  bool makeDurable(const std::vector<std::string>& f, const std::vector<std::string>& d) override;
  bool lockFile(FileHandle* f) override;
  LocalTime localNow() override;

 private:
  bool fails(const char* op, const char* path);
  long failAt_ = 0, count_ = 0;
  uint32_t failCode_ = kErrorGenFailure;
  std::vector<std::string> log_;
  LocalTime now_;
  bool fixedNow_ = false;
};

}  // namespace torvex::testing
