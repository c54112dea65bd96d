# Cross-compiling for 32-bit Windows (i686-w64-mingw32): the DLLs that 32-bit
# hosts load (SysWOW64 script hosts, 32-bit browsers and Office).
set(TORVEX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
