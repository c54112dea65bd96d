// A fresh directory per test, mapped as drive C: (on POSIX through
// TORVEX_DRIVES, on Windows as the drive itself), with plain file helpers to
// arrange and inspect files.
#pragma once

#include <filesystem>
#include <set>
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

  // The directory that the drive names, where the tests reach the tree's files.
  const std::filesystem::path& dir() const { return dir_; }
  char drive() const { return drive_; }
  std::filesystem::path path(std::string_view rel) const { return dir_ / rel; }
  // `rest` ("/T/INTRAY", "\\tmp") on the tree's drive, as a host names it.
  std::string onDrive(std::string_view rest) const { return std::string{drive_, ':'}.append(rest); }

  void write(std::string_view rel, std::string_view bytes) const;  // makes parents too
  std::string read(std::string_view rel) const;                    // "" when missing
  bool exists(std::string_view rel) const;
  // The names a folder holds, spelled as they stand: where the volume
  // answers for every spelling of a name, exists() cannot tell them apart.
  std::set<std::string> names(std::string_view rel) const;
  void mkdir(std::string_view rel) const;  // with parents

 private:
  void removeDirectory() const;  // leaves it first if it is current, read-only entries too

  std::filesystem::path dir_;
  char drive_ = 'C';
  std::string previous_;  // the mapping before this tree
  bool hadPrevious_ = false;
};

// Every entry below `folder` made writable, so that it can be removed: a
// test's read-only files and directories, which Windows deletes none of.
void makeWritable(const std::filesystem::path& folder);

// Removes `folder` and all below it, read-only entries too, never entering a
// link; per platform (temp_tree_posix.cc, temp_tree_win.cc).
void removeTree(const std::filesystem::path& folder);

}  // namespace torvex::testing
