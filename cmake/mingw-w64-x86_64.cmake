# Cross-builds the Windows x64 DLL (voskarioci.dll), the examples and the
# tests with Debian's mingw-w64 compilers; the tests run under wine.
#
#   scripts/win-deps.sh                      # libpq, iconv, libintl, GMP, MPFR
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DOCICOMPAT_WIN_DEPS=<prefix printed by win-deps.sh>
#
# The -posix compilers are named on purpose: the default -win32 thread model
# of GCC 12 has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

if(NOT OCICOMPAT_WIN_DEPS)
  if(DEFINED ENV{OCICOMPAT_WIN_DEPS})
    set(OCICOMPAT_WIN_DEPS "$ENV{OCICOMPAT_WIN_DEPS}")
  else()
    set(OCICOMPAT_WIN_DEPS "$ENV{HOME}/.cache/ocicompat-win/deps-bookworm-pg15-1")
  endif()
endif()
set(OCICOMPAT_WIN_DEPS "${OCICOMPAT_WIN_DEPS}" CACHE PATH
    "Prefix holding the Windows builds of libpq, iconv, libintl, GMP and MPFR (scripts/win-deps.sh)")
# try_compile projects read this file again and need the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OCICOMPAT_WIN_DEPS)
if(NOT EXISTS "${OCICOMPAT_WIN_DEPS}/.complete")
  message(FATAL_ERROR "No finished Windows dependency prefix at ${OCICOMPAT_WIN_DEPS}: run scripts/win-deps.sh")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw} ${OCICOMPAT_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Headers of the prefix (libintl.h, iconv.h) for every target.
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${OCICOMPAT_WIN_DEPS}/include)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${OCICOMPAT_WIN_DEPS}/include)

# pkg-config answers for the Windows prefix only.
set(ENV{PKG_CONFIG_LIBDIR} "${OCICOMPAT_WIN_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# libstdc++, libgcc and winpthread go inside each binary: the DLL then needs
# only system DLLs besides libpq.dll, iconv.dll and libintl-8.dll. Import
# libraries of those three are found as lib<name>.a.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Every program and DLL lands in one directory, so the tests find the DLL.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

find_program(OCICOMPAT_WINE NAMES wine wine64)
if(OCICOMPAT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OCICOMPAT_WINE})
endif()
