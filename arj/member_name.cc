#include "arj/member_name.h"

#include "platform/win_path.h"

namespace torvex::arj {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool hasDotDotComponent(std::string_view name) {
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || isSeparator(name[i])) {
      if (name.substr(start, i - start) == "..") return true;
      start = i + 1;
    }
  }
  return false;
}

}  // namespace

std::string_view lastComponent(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !isSeparator(path[i - 1])) --i;
  return path.substr(i);
}

std::optional<std::string> extractName(std::string_view stored) {
  if (stored.empty() || isSeparator(stored[0]) || hasDotDotComponent(stored)) return std::nullopt;
  for (char c : stored) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == ':') return std::nullopt;  // control byte, drive or stream
  }
  std::string_view name = lastComponent(stored);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (char c : name)
    if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') return std::nullopt;
  // Windows drops trailing dots and blanks, which would change the name.
  if (name.back() == '.' || name.back() == ' ') return std::nullopt;
  if (winpath::isDeviceName(name)) return std::nullopt;
  return std::string(name);
}

}  // namespace torvex::arj
