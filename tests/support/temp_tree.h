// A fresh directory per test, mapped as drive C: for the platform layer
// (TORVEX_DRIVES), with plain POSIX helpers to arrange and inspect files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace torvex::testing {

class TempTree {
 public:
  TempTree();   // makes the directory and maps C: (and only C:) to it
  // Makes another directory and maps `drive` to it beside the drives mapped
  // already: a second volume for a tree on C:.
  explicit TempTree(char drive);
  ~TempTree();  // removes it and restores the previous mapping
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  char drive() const { return drive_; }
  std::filesystem::path path(std::string_view rel) const { return dir_ / rel; }

  void write(std::string_view rel, std::string_view bytes) const;  // makes parents too
  std::string read(std::string_view rel) const;                    // "" when missing
  bool exists(std::string_view rel) const;
  void mkdir(std::string_view rel) const;  // with parents

 private:
  std::filesystem::path dir_;
  char drive_ = 'C';
  std::string oldDrives_;
  bool hadDrives_ = false;
};

}  // namespace torvex::testing
