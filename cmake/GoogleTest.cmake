# GoogleTest from the sources Debian ships, built with whichever compiler this
# build uses (native gcc or mingw), so Windows tests link the same framework.
set(CORV_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "googletest source tree")
if(NOT EXISTS ${CORV_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "googletest sources not found at ${CORV_GTEST_SOURCE}; run scripts/setup.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${CORV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# Registers each test case with ctest; Windows binaries are listed at test time
# under the emulator, never at build time.
function(corv_discover_tests target)
  if(CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 120 ${ARGN})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 ${ARGN})
  endif()
endfunction()
