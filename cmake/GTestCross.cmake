# GoogleTest / GoogleMock for native and Windows cross builds.
#
#   include(GTestCross)
#   target_link_libraries(my_tests PRIVATE GTest::gtest_main GTest::gmock)
#
# Natively this is find_package(GTest REQUIRED) (Debian's libgtest-dev and
# libgmock-dev). When cross-compiling for Windows, or when building against
# another standard library than Debian's prebuilt ones (libc++:
# ILLSXMK_GTEST_FROM_SOURCE), Debian's sources in /usr/src/googletest
# (libgtest-dev and libgmock-dev ship them) are built as static libraries
# with the project's compiler and flags (not part of "all": only what tests
# link is built).
# Either way: GTest::gtest, GTest::gtest_main, GTest::gmock, GTest::gmock_main.
#
# gtest/gmock headers come in as SYSTEM include directories, so the project's
# own warning flags (-Wall -Wextra -Wpedantic -Wconversion -Wshadow -Werror)
# do not trip on them. Put such flags on the project's targets, not in
# CMAKE_CXX_FLAGS, which googletest's own sources would see too.

include_guard(GLOBAL)

set(ILLSXMK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest source tree built for cross builds")
option(ILLSXMK_GTEST_FROM_SOURCE
    "Build GoogleTest from ILLSXMK_GTEST_SOURCE_DIR instead of using the prebuilt one" OFF)

function(_illsxmk_gtest_from_source)
  if(NOT EXISTS "${ILLSXMK_GTEST_SOURCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "GoogleTest sources not found in "
      "${ILLSXMK_GTEST_SOURCE_DIR}: apt-get install libgtest-dev libgmock-dev")
  endif()
  # Function scope: these settings apply to googletest only. Its inner
  # CMakeLists reset policies to 3.5, where option() would drop these normal
  # variables (CMP0077 OLD), so make NEW the default there.
  set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
  set(BUILD_SHARED_LIBS OFF)       # static, even if the project builds DLLs
  set(BUILD_GMOCK ON)
  set(INSTALL_GTEST OFF)
  if(WIN32)
    set(gtest_disable_pthreads ON) # Win32 threading primitives instead
  endif()
  set(gtest_force_shared_crt ON)   # MSVC only; keep the project's runtime
  set(gtest_build_tests OFF)
  set(gtest_build_samples OFF)
  set(gmock_build_tests OFF)
  add_subdirectory("${ILLSXMK_GTEST_SOURCE_DIR}"
                   "${CMAKE_BINARY_DIR}/_googletest" EXCLUDE_FROM_ALL)
endfunction()

if((CMAKE_CROSSCOMPILING AND WIN32) OR ILLSXMK_GTEST_FROM_SOURCE)
  if(NOT TARGET gtest)
    _illsxmk_gtest_from_source()
  endif()
  foreach(_lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${_lib})
      add_library(GTest::${_lib} ALIAS ${_lib})
    endif()
  endforeach()
  unset(_lib)
else()
  find_package(GTest REQUIRED)
  if(NOT TARGET GTest::gmock)
    message(FATAL_ERROR "GTest::gmock not found: apt-get install libgmock-dev")
  endif()
endif()
