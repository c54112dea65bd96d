// `torvex METHOD ARG...`: the seven interface methods called from the command
// line. How a call reaches the component is a MethodCaller: the direct one
// calls the interface table's functions; another mode (late binding through
// the registered server) supplies its own and reuses the parsing and printing
// here through callMethod.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "cli/bstr.h"

namespace torvex::cli {

enum class Type { Text, Number };  // BSTR or long

struct Parameter {
  const char* name;
  Type type;
};

struct Method {
  const char* name;
  std::vector<Parameter> parameters;
  Type result;
  const char* help;  // for --help
};

// The seven methods in interface order.
std::span<const Method> methods();
std::vector<std::string_view> methodNames();
const Method* findMethod(const char* name);
const Method* findMethodAnyCase(const char* name);  // letter case ignored

// One argument or result: `text` for Type::Text (null is the null string),
// `number` for Type::Number.
struct Value {
  Bstr text;
  LONG number = 0;
};

class MethodCaller {
 public:
  virtual ~MethodCaller() = default;
  // The method a typed name calls, null when none; exact by default.
  virtual const Method* find(const char* name) { return findMethod(name); }
  // Calls `method` with one Value per parameter, of the parameter's type, and
  // fills `result` by the method's result type. False when the call could
  // not be made at all; the caller has printed why on stderr.
  virtual bool call(const Method& method, std::span<Value> arguments, Value& result) = 0;
};

// Calls Controlador's functions in this process; needs no registration.
class DirectCaller : public MethodCaller {
 public:
  bool call(const Method& method, std::span<Value> arguments, Value& result) override;
};

// args[0] is the method name, the rest its arguments as typed (UTF-8, longs
// in decimal). Prints the result and returns the exit status: 0 after a call,
// 1 when the caller could not make it, 2 for a usage error.
int callMethod(MethodCaller& caller, std::span<char* const> args);

}  // namespace torvex::cli
