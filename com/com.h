// Automation types. On Windows they come from the system headers; on POSIX
// this layer defines them itself with Windows' binary layout on 64-bit
// systems: 32-bit LONG and HRESULT, BSTR as a length-prefixed UTF-16 string.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#include <objsafe.h>
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
#endif
