// The archive library's one entry: an ARJ-style command line ("a", "t" or
// "e") and an integer that every caller passes as 0. Returns 0 on success and
// a positive error level on failure, never a negative value (callers add two
// results and test the sum).
#pragma once

#if defined(_WIN32) && defined(TORVEX_BUILDING_ARJLIB)
#define TORVEX_ARJ_API __declspec(dllexport)
#elif defined(_WIN32) && defined(TORVEX_ARJLIB_DLL)
#define TORVEX_ARJ_API __declspec(dllimport)
#else
#define TORVEX_ARJ_API
#endif

extern "C" TORVEX_ARJ_API int ExecArj(const char* commandLine, int reserved);
