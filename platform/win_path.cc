#include "platform/win_path.h"

#include <cctype>

namespace torvex::winpath {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string_view trimTrailing(std::string_view s, std::string_view chars) {
  size_t end = s.find_last_not_of(chars);
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

bool equalsUpper(std::string_view s, std::string_view upper) {
  if (s.size() != upper.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(s[i])) != upper[i]) return false;
  }
  return true;
}

// A relative path keeps its leading ".." components: they apply once the
// path is joined to the current directory.
void push(std::vector<std::string>& out, std::string_view comp, bool keepLeadingParent = false) {
  if (comp == ".") return;
  if (comp == "..") {
    if (!out.empty() && out.back() != "..") {
      out.pop_back();
    } else if (keepLeadingParent) {
      out.emplace_back(comp);
    }
    return;
  }
  out.emplace_back(comp);
}

}  // namespace

ParsedPath parse(std::string_view path) {
  ParsedPath p;
  std::string_view rest = path;
  if (rest.size() >= 2 && isAsciiLetter(rest[0]) && rest[1] == ':') {
    p.root = Root::Drive;
    p.drive = std::toupper(static_cast<unsigned char>(rest[0])) - 'A' + 1;
    rest.remove_prefix(2);
    p.driveRelative = rest.empty() || !isSeparator(rest[0]);
  } else if (rest.size() >= 2 && isSeparator(rest[0]) && isSeparator(rest[1])) {
    p.root = Root::Network;
  } else if (!rest.empty() && isSeparator(rest[0])) {
    p.root = Root::Absolute;
  }
  p.endedInDot = !path.empty() && path.back() == '.';
  p.trailingSeparator = !rest.empty() && isSeparator(rest.back());

  std::vector<std::string_view> raw;
  size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && isSeparator(rest[i])) ++i;
    size_t start = i;
    while (i < rest.size() && !isSeparator(rest[i])) ++i;
    if (i > start) raw.push_back(rest.substr(start, i - start));
  }
  for (size_t k = 0; k < raw.size(); ++k) {
    std::string_view comp = raw[k];
    const bool last = k + 1 == raw.size() && !p.trailingSeparator;
    if (comp == "." || comp == "..") {
      push(p.components, comp, p.root == Root::Relative);
      continue;
    }
    if (last) {
      comp = trimTrailing(comp, ". ");
      if (comp.empty()) {
        // "a\..." names "a\": the component vanishes, a separator remains.
        p.trailingSeparator = true;
        continue;
      }
    } else if (comp.back() == '.') {
      comp.remove_suffix(1);
    }
    push(p.components, comp);
  }
  return p;
}

void appendNormalised(std::vector<std::string>& base, const std::vector<std::string>& rel) {
  for (const std::string& c : rel) push(base, c);
}

bool isInvalidName(std::string_view name) {
  if (name.empty()) return true;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20) return true;
    switch (c) {
      case ':': case '*': case '?': case '<': case '>': case '"': case '|':
        return true;
      default:
        break;
    }
  }
  return false;
}

bool isDeviceName(std::string_view name) {
  std::string_view base = trimTrailing(name.substr(0, name.find('.')), " ");
  if (equalsUpper(base, "CON") || equalsUpper(base, "PRN") || equalsUpper(base, "AUX") ||
      equalsUpper(base, "NUL") || equalsUpper(base, "CONIN$") || equalsUpper(base, "CONOUT$")) {
    return true;
  }
  return base.size() == 4 && (equalsUpper(base.substr(0, 3), "COM") ||
                              equalsUpper(base.substr(0, 3), "LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

bool namesAStream(std::string_view path) {
  size_t from = 0;
  if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) &&
      (path[2] == '?' || path[2] == '.') && isSeparator(path[3])) {
    from = 4;
  }
  if (path.size() > from + 1 && path[from + 1] == ':') from += 2;
  return path.find(':', from) != std::string_view::npos;
}

bool isReachableName(std::string_view name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  if (name.find('\\') != std::string_view::npos) return false;
  return !isInvalidName(name) && !isDeviceName(name);
}

}  // namespace torvex::winpath
