// The automation object Controlador: IControlador (also answering IDispatch
// and IUnknown), IObjectSafety, IObjectWithSite with the site lock (site_lock.h),
// aggregation, and its share of the module's lock count.
#pragma once

#include "com/com.h"

namespace torvex {

// Makes an object and asks it for `riid`. With an outer object the new one
// is aggregated and `riid` must be IUnknown (the factory checks that).
// E_OUTOFMEMORY when it cannot be allocated; on any failure *ppv is null.
HRESULT criaControlador(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace torvex
