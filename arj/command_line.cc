#include "arj/command_line.h"

#include <vector>

namespace torvex::arj {
namespace {

bool tokenize(const char* p, std::vector<std::string>& tokens) {
  while (true) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') return true;
    std::string t;
    if (*p == '"') {
      ++p;
      while (*p != '"') {
        if (*p == '\0') return false;
        t += *p++;
      }
      ++p;
      if (t.empty()) return false;
    } else {
      while (*p != '\0' && *p != ' ' && *p != '\t') t += *p++;
    }
    tokens.push_back(std::move(t));
  }
}

}  // namespace

bool parseCommandLine(const char* line, ArjCommand& out) {
  std::vector<std::string> tokens;
  if (line == nullptr || !tokenize(line, tokens) || tokens.empty() || tokens[0].size() != 1)
    return false;
  char verb = static_cast<char>(tokens[0][0] | 0x20);
  size_t expected = verb == 'a' ? 3 : verb == 't' ? 2 : verb == 'e' ? 4 : 0;
  if (expected == 0 || tokens.size() != expected) return false;
  if (verb == 'e' && tokens[3] != "-y" && tokens[3] != "-Y") return false;
  out.verb = verb;
  out.archive = tokens[1];
  out.other = expected > 2 ? tokens[2] : std::string();
  return true;
}

}  // namespace torvex::arj
