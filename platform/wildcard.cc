#include "platform/wildcard.h"

#include <vector>

#include "platform/unicode.h"

namespace torvex::wildcard {
namespace {

std::u32string rewrite(std::u32string p, bool endedInDot) {
  if (p == U"*.*") return U"*";
  std::u32string out = p;
  for (size_t i = 0; i < p.size(); ++i) {
    char32_t next = i + 1 < p.size() ? p[i + 1] : 0;
    if (p[i] == U'?') {
      out[i] = kDosQm;
    } else if (p[i] == U'.' && (next == U'?' || next == U'*')) {
      out[i] = kDosDot;
    } else if (p[i] == U'*' && next == U'.') {
      out[i] = kDosStar;
    }
  }
  if (endedInDot && !out.empty() && out.back() == U'*') out.back() = kDosStar;
  return out;
}

// Memoised walk over (pattern position, name position).
class Matcher {
 public:
  Matcher(const std::u32string& p, const std::u32string& n)
      : p_(p), n_(n), memo_((p.size() + 1) * (n.size() + 1), kUnknown) {
    for (size_t i = n.size(); i-- > 0;) {
      if (n[i] == U'.') {
        lastDot_ = i;
        break;
      }
    }
  }

  bool match(size_t pi, size_t ni) {
    char& m = memo_[pi * (n_.size() + 1) + ni];
    if (m == kUnknown) m = compute(pi, ni) ? kYes : kNo;
    return m == kYes;
  }

 private:
  static constexpr char kUnknown = 0, kYes = 1, kNo = 2;
  static constexpr size_t kNoDot = static_cast<size_t>(-1);

  bool compute(size_t pi, size_t ni) {
    const size_t plen = p_.size(), nlen = n_.size();
    if (pi == plen) return ni == nlen;
    const char32_t t = p_[pi];
    const bool atEnd = ni == nlen;
    switch (t) {
      case U'*':
        return match(pi + 1, ni) || (!atEnd && match(pi, ni + 1));
      case kDosStar:
        // Eats anything but the name's last dot; taking that dot ends the run.
        if (match(pi + 1, ni)) return true;
        if (atEnd) return false;
        if (ni == lastDot_) return match(pi + 1, ni + 1);
        return match(pi, ni + 1);
      case kDosQm:
        if (atEnd || n_[ni] == U'.') {
          // Zero-width; reaching the pattern's end with a lone "." left
          // accepts it (so "?" matches the entry ".").
          if (pi + 1 == plen && ni + 1 == nlen) return true;
          return match(pi + 1, ni);
        }
        return match(pi + 1, ni + 1);
      case kDosDot:
        if (atEnd) return match(pi + 1, ni);
        return n_[ni] == U'.' && match(pi + 1, ni + 1);
      default:
        return !atEnd && n_[ni] == t && match(pi + 1, ni + 1);
    }
  }

  const std::u32string& p_;
  const std::u32string& n_;
  std::vector<char> memo_;
  size_t lastDot_ = kNoDot;
};

}  // namespace

bool hasWildcards(std::string_view pattern) {
  return pattern.find_first_of("*?<>\"") != std::string_view::npos;
}

bool isInvalidPattern(std::string_view pattern) {
  for (char c : pattern) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ':' || c == '|') return true;
  }
  return false;
}

Pattern::Pattern(std::string_view pattern, bool argumentEndedInDot)
    : tokens_(rewrite(unicode::foldedName(pattern), argumentEndedInDot)) {}

bool Pattern::matches(std::string_view name) const {
  if (tokens_ == U"*") return true;
  std::u32string folded = unicode::foldedName(name);
  return Matcher(tokens_, folded).match(0, 0);
}

}  // namespace torvex::wildcard
