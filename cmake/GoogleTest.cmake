# GoogleTest: Debian's built library for native builds (one compile less of
# the framework per build); from the sources Debian ships, built with mingw, for
# the Windows builds, so Windows tests link the same framework.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest CONFIG QUIET)
endif()
if(NOT GTest_FOUND)
  set(CORV_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "googletest source tree")
  if(NOT EXISTS ${CORV_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "googletest sources not found at ${CORV_GTEST_SOURCE}; run scripts/setup.sh")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${CORV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
include(GoogleTest)

# Registers each test case with ctest; Windows binaries are listed at test time
# under the emulator, never at build time, and run in the run's Wine session.
function(corv_discover_tests target)
  set(properties TIMEOUT 120 ${ARGN})
  if(CORV_WINE_FIXTURE)
    list(APPEND properties FIXTURES_REQUIRED ${CORV_WINE_FIXTURE})
  endif()
  if(CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES ${properties})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
  endif()
endfunction()
