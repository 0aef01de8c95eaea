# Cross-compile for 32-bit Windows (PE32, i386) with Debian's MinGW-w64,
# POSIX thread model (g++-mingw-w64-i686-posix), and run the results under
# 32-bit Wine through cmake/wine-run.sh.
#
#   cmake -S . -B build-win32 -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
#
# The unsuffixed i686-w64-mingw32-g++ is an update-alternatives link that
# defaults to the win32 thread model, so the -posix binaries are named here.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ILLSXMK_MINGW_TRIPLE i686-w64-mingw32)
set(ILLSXMK_MINGW_SYSROOT /usr/${ILLSXMK_MINGW_TRIPLE})

set(CMAKE_C_COMPILER   ${ILLSXMK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ILLSXMK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ILLSXMK_MINGW_TRIPLE}-windres)

# Search the MinGW sysroot only for headers, libraries and packages; build
# tools (programs) come from the host.
set(CMAKE_FIND_ROOT_PATH ${ILLSXMK_MINGW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CMake cannot derive the binutils prefix from a "-posix" compiler name; name
# them so the host's ELF ar/ranlib/objdump are never picked up.
foreach(_tool AR RANLIB NM OBJCOPY OBJDUMP STRIP DLLTOOL ADDR2LINE)
  string(TOLOWER "${_tool}" _exe)
  find_program(CMAKE_${_tool} ${ILLSXMK_MINGW_TRIPLE}-${_exe} REQUIRED)
endforeach()
unset(_tool)
unset(_exe)

# Link everything statically (libgcc, libstdc++ and winpthreads) so DLLs and
# executables import only KERNEL32.dll and msvcrt.dll. -static-libgcc and
# -static-libstdc++ alone still leave an import of libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests (add_test, and try_run) run under Wine. The Wine prefix is
# <top build folder>/.wineprefix (about 600 MB, made on first use), unless
# -DILLSXMK_WINE_DEFAULT_PREFIX=DIR is given, or ILLSXMK_WINEPREFIX is set in
# the environment when the tests run (e.g. one prefix for all build folders).
if(NOT DEFINED ILLSXMK_WINE_DEFAULT_PREFIX)
  set(ILLSXMK_WINE_DEFAULT_PREFIX "${CMAKE_BINARY_DIR}/.wineprefix")
endif()
# try_compile projects re-read this file in a scratch folder: keep the value.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ILLSXMK_WINE_DEFAULT_PREFIX)
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;--default-prefix=${ILLSXMK_WINE_DEFAULT_PREFIX}")
