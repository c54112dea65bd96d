# Cross-compiling for Windows with Debian's mingw-w64: 64-bit (x86_64-w64-mingw32)
# by default; cmake/mingw-w64-i686.cmake sets the 32-bit prefix and includes this.
# The posix-thread variant of the compiler is used because the win32 variant of
# g++ 12 has no std::mutex; winpthread, libgcc and libstdc++ are linked
# statically so that the DLLs import nothing but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT TORVEX_MINGW_PREFIX)
  set(TORVEX_MINGW_PREFIX x86_64-w64-mingw32)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()

set(CMAKE_C_COMPILER ${TORVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVEX_MINGW_PREFIX}-windres)
set(TORVEX_WIDL ${TORVEX_MINGW_PREFIX}-widl CACHE STRING "IDL compiler for the type library")

set(CMAKE_FIND_ROOT_PATH /usr/${TORVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
