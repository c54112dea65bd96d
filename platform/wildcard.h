// The directory-search pattern rules of FindFirstFileA, portable: kernel32's
// rewrite of "?", "*" and "." into the DOS wildcard tokens, and the file
// system's name-in-expression matcher, both per character, ignoring case.
#pragma once

#include <string>
#include <string_view>

namespace torvex::wildcard {

// The DOS tokens the rewrite produces.
constexpr char32_t kDosStar = U'<';
constexpr char32_t kDosQm = U'>';
constexpr char32_t kDosDot = U'"';

// True when `pattern` holds a character the matcher treats as a wildcard.
bool hasWildcards(std::string_view pattern);

// True when `pattern` holds a character no pattern may hold: a control
// character, ":" or "|".
bool isInvalidPattern(std::string_view pattern);

// A pattern ready to test names against: rewritten and upper-cased.
class Pattern {
 public:
  // `pattern` is the last component after trailing dots and spaces were
  // removed; `argumentEndedInDot` says whether the whole argument ended in ".".
  Pattern(std::string_view pattern, bool argumentEndedInDot);

  bool matches(std::string_view name) const;
  const std::u32string& tokens() const { return tokens_; }

 private:
  std::u32string tokens_;
};

}  // namespace torvex::wildcard
