# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model),
# tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RUPENA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Debian ships the 64-bit loader outside PATH; the /usr/bin/wine wrapper looks
# for a 32-bit wine first and nags when it is missing, so call the loader itself.
find_program(RUPENA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT RUPENA_WINE64)
  find_program(RUPENA_WINE64 NAMES wine NO_CMAKE_FIND_ROOT_PATH)
endif()
if(RUPENA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RUPENA_WINE64})
endif()
