// The three command lines the component hands to ExecArj:
//   a "ARCHIVE" "FILE"      add or replace FILE's member
//   t "ARCHIVE"             test every member
//   e "ARCHIVE" "DIR/" -y   extract every member into DIR, replacing files
#pragma once

#include <string>

namespace torvex::arj {

struct ArjCommand {
  char verb = 0;  // 'a', 't' or 'e'
  std::string archive, other;
};

// False for anything but those three forms (unknown verb or switch, missing
// or extra argument, unterminated or empty quoted argument).
bool parseCommandLine(const char* line, ArjCommand& out);

}  // namespace torvex::arj
