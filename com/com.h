// The way into the automation runtime. On Windows its types and calls are
// the system's; on POSIX this folder defines them itself with Windows' binary
// layout on 64-bit systems: 32-bit LONG and HRESULT, BSTR as a
// length-prefixed UTF-16 string. Include this header, never the others here.
#pragma once

#ifdef _WIN32
#include "platform/automation_win.h"
#else
#include <cstdint>

using LONG = int32_t;
using ULONG = uint32_t;
using HRESULT = int32_t;
using UINT = unsigned int;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// BSTR allocation, as OLE Automation has it: the byte length sits in the 4
// bytes before the returned pointer, and the string is NUL-terminated.
BSTR SysAllocString(LPCOLESTR s);
BSTR SysAllocStringLen(const OLECHAR* s, UINT len);
int SysReAllocStringLen(BSTR* pbstr, const OLECHAR* s, UINT len);
void SysFreeString(BSTR s);
UINT SysStringLen(BSTR s);
UINT SysStringByteLen(BSTR s);

#include "com/interfaces_posix.h"
#include "com/site_interfaces_posix.h"
#endif

#include <memory>

namespace torvex {
struct FreeBstr {
  void operator()(OLECHAR* s) const { SysFreeString(s); }
};
// An owned BSTR; null stands for the null string.
using Bstr = std::unique_ptr<OLECHAR, FreeBstr>;
}  // namespace torvex

#include "com/type_description.h"  // a type library written as data
#ifndef _WIN32
#include "com/typelib_posix.h"  // served as a type library on POSIX
#endif
