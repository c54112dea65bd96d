#include "component/interface_description.h"
#include "component/type_library_resource.h"
#include "platform/module.h"
#include "com/typelib_posix.h"

namespace torvex {

void announceTypeLibResource() { embedTypeLib(modulePath(&kTorvexTypeLib), &kTorvexTypeLib); }

}  // namespace torvex
