#include "component/type_library_resource.h"

namespace torvex {

// The resource compiler put the type library into the module file.
void announceTypeLibResource() {}

}  // namespace torvex
