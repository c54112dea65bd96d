// What `torvex --help` and `torvex help METHOD` say of each interface method
// beyond its signature: what the arguments take, every result value and what
// it means, and what the call leaves on disk. The host's guide
// (docs/host-guide.md) says the same at length.
#pragma once

#include <span>

namespace torvex::cli {

struct ResultMeaning {
  const char* value;    // "0", "-1", "a name", "empty line"
  const char* meaning;  // may hold line feeds
};

struct MethodHelp {
  const char* name;
  const char* summary;    // a line or two for --help
  const char* arguments;  // forms and limits, for help METHOD
  std::span<const ResultMeaning> results;
  const char* onDisk;     // what the call leaves behind
};

// Null for a name that is no method.
const MethodHelp* methodHelp(const char* name);

}  // namespace torvex::cli
