# GoogleTest for cross builds: the mingw sysroot has no prebuilt GTest, so it is
# built from Debian's source package (googletest, /usr/src/googletest). Native
# builds never include this file and keep find_package(GTest).
set(RUPENA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
  "GoogleTest sources built into cross builds")
if(NOT EXISTS ${RUPENA_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR
    "No GoogleTest sources at ${RUPENA_GTEST_SOURCE_DIR} (apt-get install googletest)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# GoogleTest synchronises with Win32 primitives on Windows; leaving pthreads on
# would only add a dependency on winpthread's headers to its build.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)

# SYSTEM: our warning set must not fire on GoogleTest's headers.
add_subdirectory(${RUPENA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest
  EXCLUDE_FROM_ALL SYSTEM)
