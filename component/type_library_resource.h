// Makes the type library that the module carries findable by LoadTypeLib
// under the module's own path. On Windows it is the "TYPELIB" resource and
// nothing needs doing; POSIX modules announce their table when they load.
#pragma once

namespace torvex {

void announceTypeLibResource();

}  // namespace torvex
