# Cross build of the Windows x64 DLL with mingw-w64 (posix thread model:
# std::mutex and std::thread exist only there).
#
# KESTRION_DEPS_PREFIX is the prefix of the libraries Debian ships no mingw
# build of (libpng); scripts/setup.sh builds it into build/deps/mingw, which is
# also the default here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT KESTRION_DEPS_PREFIX)
  get_filename_component(KESTRION_DEPS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/deps/mingw" ABSOLUTE)
endif()
# try_compile projects read this file again; hand them the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRION_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KESTRION_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A plain -lz would pick the import library and make the DLL need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
