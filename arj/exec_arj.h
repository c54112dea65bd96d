// The archive library's one entry: an ARJ-style command line ("a", "t" or
// "e") and an integer that every caller passes as 0. Returns 0 on success and
// a positive error level on failure, never a negative value (callers add two
// results and test the sum).
//
// On Windows the entry uses the Windows API convention, __stdcall (WINAPI):
// the callee removes its two arguments from the stack. That is what a DLL
// entry meant for any caller (C, Visual Basic's Declare, Delphi) has, and
// Arjlib32.dll exports it undecorated, as "ExecArj", not "_ExecArj@8". A
// site's replacement Arjlib32.dll must export ExecArj the same way; on 64-bit
// Windows there is only one convention and __stdcall changes nothing.
//
// torvex.dll does not import it: exec_arj_import.cc loads Arjlib32.dll from
// torvex.dll's own folder on first use and calls the entry found by name.
#pragma once

#if defined(_WIN32) && defined(TORVEX_BUILDING_ARJLIB)
#define TORVEX_ARJ_API __declspec(dllexport)
#else
#define TORVEX_ARJ_API
#endif

#ifdef _WIN32
#define TORVEX_ARJ_CALL __stdcall
#else
#define TORVEX_ARJ_CALL
#endif

extern "C" TORVEX_ARJ_API int TORVEX_ARJ_CALL ExecArj(const char* commandLine, int reserved);
