// Owning wrappers over the handles of platform.h, so every file and every
// directory search is closed on every path out of a function.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"

namespace torvex {

class File {
 public:
  File() = default;
  File(const char* path, OpenMode mode) : h_(platform().openFile(path, mode)) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  File& operator=(File&& o) noexcept {
    if (this != &o) {
      close();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  ~File() { close(); }

  explicit operator bool() const { return h_ != nullptr; }
  long read(void* buf, size_t n) { return platform().readFile(h_, buf, n); }
  long write(const void* buf, size_t n) { return platform().writeFile(h_, buf, n); }
  // True when all n bytes were written.
  bool writeAll(const void* buf, size_t n) {
    return n == 0 || write(buf, n) == static_cast<long>(n);
  }
  bool seek(uint64_t offset) { return platform().seekFile(h_, offset); }
  int64_t size() { return platform().fileSize(h_); }
  bool truncate(uint64_t size) { return platform().truncateFile(h_, size); }
  bool sync() { return platform().syncFile(h_); }
  bool lock() { return platform().lockFile(h_); }  // exclusive, until closed
  // Closes now; false when the close itself reported a failure.
  bool close() {
    if (!h_) return true;
    return platform().closeFile(std::exchange(h_, nullptr));
  }

 private:
  FileHandle* h_ = nullptr;
};

// One directory search. `found()` tells whether FindFirstFileA matched; then
// `entry()` is the current entry and `next()` advances.
class DirSearch {
 public:
  explicit DirSearch(const char* pattern) : h_(platform().findFirst(pattern, entry_)) {}
  DirSearch(const DirSearch&) = delete;
  DirSearch& operator=(const DirSearch&) = delete;
  ~DirSearch() { close(); }

  bool found() const { return h_ != nullptr; }
  const DirEntry& entry() const { return entry_; }
  bool next() { return h_ && platform().findNext(h_, entry_); }
  void close() {
    if (h_) platform().findClose(std::exchange(h_, nullptr));
  }

 private:
  DirEntry entry_;
  SearchHandle* h_ = nullptr;
};

// True when a file or directory of that name exists.
inline bool pathExists(const char* path) {
  return path[0] != '\0' && platform().fileAttributes(path) != kInvalidAttributes;
}

// True when a file, not a directory, of that name exists.
inline bool fileExists(const char* path) {
  const uint32_t attributes = path[0] != '\0' ? platform().fileAttributes(path) : kInvalidAttributes;
  return attributes != kInvalidAttributes && (attributes & kAttrDirectory) == 0;
}

// All of a file's bytes; false when it cannot be opened or read to its end,
// which is never taken for an empty file.
inline bool readWholeFile(const char* path, std::string& bytes) {
  bytes.clear();
  File f(path, OpenMode::Read);
  if (!f) return false;
  char block[4096];
  long n = 0;
  while ((n = f.read(block, sizeof block)) > 0) bytes.append(block, static_cast<size_t>(n));
  return n == 0;
}

// `dir` followed by the components of `relative` ("OUTTRAY/WORK") as the
// directory listings spell them, each one a directory that exists; one not
// found, and all after it, stay as written. Names match without regard to
// case either way: a path spelled as on disk just resolves without asking
// the file system about every component's other spellings.
std::string spelledAsFound(const std::string& dir, std::string_view relative);

}  // namespace torvex
