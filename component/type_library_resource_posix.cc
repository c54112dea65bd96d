#include "component/interface_description.h"
#include "component/type_library_resource.h"
#include "com/com.h"
#include "platform/platform.h"

namespace torvex {

void announceTypeLibResource() { embedTypeLib(platform().modulePath(&kTorvexTypeLib), &kTorvexTypeLib); }

}  // namespace torvex
