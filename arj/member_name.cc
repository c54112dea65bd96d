#include "arj/member_name.h"

#include <array>

namespace torvex::arj {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension
// and trailing blanks: Windows opens the device whatever the directory.
bool isDeviceName(std::string_view name) {
  std::string stem;
  for (char c : name.substr(0, name.find('.'))) stem += upper(c);
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 6> kFixed = {"CON", "PRN", "AUX", "NUL", "CONIN$",
                                                             "CONOUT$"};
  for (auto d : kFixed)
    if (stem == d) return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

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
  if (isDeviceName(name)) return std::nullopt;
  return std::string(name);
}

}  // namespace torvex::arj
