// Prints the IDL of the type library, made from the interface table:
// `torvex_write_idl > component/torvex.idl` after changing the table.
#include <cstdio>

#include "component/interface_description.h"
#include "component/interface_idl.h"

int main() {
  std::fputs(torvex::idlText(torvex::kTorvexTypeLib).c_str(), stdout);
  return 0;
}
