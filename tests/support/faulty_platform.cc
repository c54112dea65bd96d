#include "tests/support/faulty_platform.h"

namespace torvex::testing {

bool FaultyPlatform::fails(const char* op, const char* path) {
  ++count_;
  log_.push_back(std::string(op) + " " + (path ? path : ""));
  if (failAt_ == 0 || count_ != failAt_) return false;
  setLastError(failCode_);
  return true;
}

FileHandle* FaultyPlatform::openFile(const char* p, OpenMode m) {
  if (fails("open", p)) return nullptr;
  return inner().openFile(p, m);
}

long FaultyPlatform::readFile(FileHandle* f, void* b, size_t n) {
  if (fails("read", "")) return -1;
  return inner().readFile(f, b, n);
}

long FaultyPlatform::writeFile(FileHandle* f, const void* b, size_t n) {
  if (fails("write", "")) return -1;
  return inner().writeFile(f, b, n);
}

bool FaultyPlatform::seekFile(FileHandle* f, uint64_t o) {
  if (fails("seek", "")) return false;
  return inner().seekFile(f, o);
}

bool FaultyPlatform::truncateFile(FileHandle* f, uint64_t s) {
  if (fails("truncate", "")) return false;
  return inner().truncateFile(f, s);
}

bool FaultyPlatform::syncFile(FileHandle* f) {
  if (fails("sync", "")) return false;
  return inner().syncFile(f);
}

bool FaultyPlatform::closeFile(FileHandle* f) {
  const bool failed = fails("close", "");
  const bool closed = inner().closeFile(f);  // the handle is released either way
  if (failed) {
    setLastError(failCode_);
    return false;
  }
  return closed;
}

bool FaultyPlatform::createDirectory(const char* p) {
  if (fails("mkdir", p)) return false;
  return inner().createDirectory(p);
}

bool FaultyPlatform::removeDirectory(const char* p) {
  if (fails("rmdir", p)) return false;
  return inner().removeDirectory(p);
}

bool FaultyPlatform::deleteFile(const char* p) {
  if (fails("delete", p)) return false;
  return inner().deleteFile(p);
}

bool FaultyPlatform::moveFile(const char* a, const char* b) {
  if (fails("move", (std::string(a ? a : "") + " -> " + (b ? b : "")).c_str())) return false;
  return inner().moveFile(a, b);
}

bool FaultyPlatform::linkFile(const char* a, const char* b) {
  if (fails("link", (std::string(a ? a : "") + " -> " + (b ? b : "")).c_str())) return false;
  return inner().linkFile(a, b);
}

bool FaultyPlatform::replaceFile(const char* a, const char* b) {
  if (fails("replace", (std::string(a ? a : "") + " -> " + (b ? b : "")).c_str())) return false;
  return inner().replaceFile(a, b);
}

bool FaultyPlatform::syncDirectory(const char* p) {
  if (fails("syncdir", p)) return false;
  return inner().syncDirectory(p);
}

// Logged as "durable FILE... / DIRECTORY...".
bool FaultyPlatform::makeDurable(const std::vector<std::string>& f,
                                 const std::vector<std::string>& d) {
  std::string paths;
  for (const std::string& p : f) paths += p + " ";
  paths += "/";
  for (const std::string& p : d) paths += " " + p;
  if (fails("durable", paths.c_str())) return false;
  return inner().makeDurable(f, d);
}

bool FaultyPlatform::lockFile(FileHandle* f) {
  if (fails("lock", "")) return false;
  return inner().lockFile(f);
}

LocalTime FaultyPlatform::localNow() { return fixedNow_ ? now_ : inner().localNow(); }

}  // namespace torvex::testing
