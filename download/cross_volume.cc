#include "download/cross_volume.h"

#include <cstdio>
#include <string_view>

#include "journal/file_steps.h"
#include "platform/file.h"

namespace torvex {
namespace {

std::string_view folderOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view(".") : path.substr(0, slash);
}

std::string_view baseName(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return name.substr(0, name.find('.'));
}

}  // namespace

std::optional<std::string> crossVolumeCopyName(const char* dados, const char* final,
                                               const char* arquivo, const Digest& d) {
  const std::string folder(folderOf(final));
  FileIdentity from;
  if (!platform().fileIdentity(dados, from)) return std::nullopt;
  if (renameReaches(from, final)) return std::string();
  // Named after the archive and the payload's checksum, so that another
  // tree delivering into the same folder draws another name.
  char sum[24];
  std::snprintf(sum, sizeof sum, "%08llx", static_cast<unsigned long long>(d.sum & 0xffffffffu));
  const std::string stem = folder + "/~TORVEX-" + std::string(baseName(arquivo)) + "-" + sum;
  for (int n = 1; n < 100; ++n) {
    std::string name = stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".TMP";
    if (!pathExists(name.c_str()) && platform().lastError() == kErrorFileNotFound) return name;
  }
  return std::nullopt;
}

}  // namespace torvex
