# Cross build for 32-bit Windows with Debian's mingw-w64 (posix thread model).
# Running the tests needs a 32-bit wine (wine32:i386, which scripts/dev
# installs); without it the build still compiles and links everything, and
# ctest reports the tests as not run. The tests run in the 64-bit prefix that
# scripts/lib/wine.sh makes for this tree: start it before ctest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(RUPENA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

find_program(RUPENA_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(RUPENA_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RUPENA_WINE32})
endif()
