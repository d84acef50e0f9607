# One helper for every test executable, so that a cross build runs its tests
# through CMAKE_CROSSCOMPILING_EMULATOR (wine) without further ado.
if(RUPENA_TESTS)
  enable_testing()
  if(CMAKE_CROSSCOMPILING)
    include(${CMAKE_CURRENT_LIST_DIR}/RupenaCrossGTest.cmake)
    # One prefix per build tree, shared with scripts/lib/wine.sh, so ctest and
    # the scripts talk to the same warm wineserver.
    set(RUPENA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH
      "Wine prefix the cross-built tests run in")
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()

# Under Wine every test process costs a Wine start, so a cross build registers
# one ctest test per executable (GoogleTest's own output names the failing
# case) instead of discovering each case through the emulator.
option(RUPENA_CROSS_DISCOVER_TESTS
  "Register each GoogleTest case with ctest in cross builds too" OFF)

function(rupena_add_test name)
  if(NOT RUPENA_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} rupena_warnings GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    RUPENA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    return()
  endif()

  # No Mono or Gecko: should the prefix not exist yet, wine creates it on the
  # first test, and their installers would stop to ask.
  set(wineEnv WINEPREFIX=${RUPENA_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
  if(RUPENA_CROSS_DISCOVER_TESTS)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "${wineEnv}")
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${wineEnv}")
    # No emulator (the i686 build without a 32-bit wine): built and linked,
    # reported by ctest as not run rather than as failing to start.
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
      set_tests_properties(${name} PROPERTIES DISABLED TRUE)
    endif()
  endif()
endfunction()
