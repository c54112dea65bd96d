#include "tests/support/temp_tree.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace torvex::testing {
namespace fs = std::filesystem;

void makeWritable(const fs::path& folder) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
}

void TempTree::removeDirectory() const {
  std::error_code ec;
  // Leave the tree first if a test made it (or a drive in it) current.
  const fs::path cwd = fs::current_path(ec);
  if (!ec && cwd.string().rfind(dir_.string(), 0) == 0) fs::current_path(dir_.parent_path(), ec);
  removeTree(dir_);
}

void TempTree::write(std::string_view rel, std::string_view bytes) const {
  const fs::path p = path(rel);
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TempTree::read(std::string_view rel) const {
  std::ifstream in(path(rel), std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> TempTree::names(std::string_view rel) const {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(path(rel))) out.insert(e.path().filename().string());
  return out;
}

bool TempTree::exists(std::string_view rel) const {
  std::error_code ec;
  return fs::symlink_status(path(rel), ec).type() != fs::file_type::not_found && !ec;
}

void TempTree::mkdir(std::string_view rel) const { fs::create_directories(path(rel)); }

}  // namespace torvex::testing
