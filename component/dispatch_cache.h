// The type information of IControlador that IDispatch works through, loaded
// once per process from the registered type library, with the cache of member
// names that answers exact-case lookups before the type information does.
#pragma once

#include "com/com.h"

namespace torvex {

// The loaded type information, loading it first if no caller has; not
// AddRef'd. On failure, null and the loading failure through `hr`.
ITypeInfo* controladorTypeInfo(LCID lcid, HRESULT* hr);

// The DISPID of a member whose name matches in length and every character.
bool cachedDispId(const OLECHAR* name, DISPID* id);

}  // namespace torvex
