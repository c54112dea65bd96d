// The lock that keeps the object to the pages of the allowed sites. A host
// that asks for INTERFACESAFE_FOR_UNTRUSTED_CALLER is a browser about to
// let a page's scripts call the object; any other host (a script host, an
// Office macro, a program, `torvex --dispatch`) asks for nothing and is not
// locked. The lock lives in the dispatch layer: the methods never see it.
#pragma once

#include "com/com.h"

namespace torvex {

// True when a call may go on: the untrusted-caller option is off, or the
// site names a page whose origin is on the administrator's allow list (see
// allowed_sites.h). With the option on, no site, no URL or no list refuse.
bool siteMayCall(DWORD safetyOptions, IUnknown* site);

}  // namespace torvex
