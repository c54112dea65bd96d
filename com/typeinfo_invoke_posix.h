// ITypeInfo::Invoke for a described function: checks the argument count,
// converts each argument (last one first in DISPPARAMS, named ones by
// position) to the parameter's type, calls the function's slot in the
// instance's interface table and hands back its result.
#pragma once

#include "com/com.h"

namespace torvex {

HRESULT invokeThroughTable(void* instance, const TypeLibDescription& lib,
                           const FunctionDescription& f, DISPPARAMS* params, VARIANT* result,
                           UINT* argErr);

}  // namespace torvex
