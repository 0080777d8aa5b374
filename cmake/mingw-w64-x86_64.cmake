# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# variant, which std::thread and std::jthread need). The libraries built by
# scripts/build-windows-deps come in through ZEFIR_WINDOWS_PREFIXES, a list of
# install prefixes; nothing is ever looked up on the build machine itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-ranlib CACHE FILEPATH "")

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEFIR_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${ZEFIR_WINDOWS_PREFIXES})
list(APPEND CMAKE_PREFIX_PATH ${ZEFIR_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not fall back to the build machine's own .pc files.
set(_zefir_pc "")
foreach(_prefix IN LISTS ZEFIR_WINDOWS_PREFIXES)
    list(APPEND _zefir_pc "${_prefix}/lib/pkgconfig")
endforeach()
list(APPEND _zefir_pc /usr/x86_64-w64-mingw32/lib/pkgconfig)
string(REPLACE ";" ":" _zefir_pc "${_zefir_pc}")
set(ENV{PKG_CONFIG_LIBDIR} "${_zefir_pc}")
set(ENV{PKG_CONFIG_PATH} "")

# Everything links the C and C++ runtimes and winpthreads in, DLLs included,
# so that no MinGW DLL has to be found on the user's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
