# Shared by the mingw-w64 toolchain files; expects RUPENA_MINGW_TRIPLE.
set(CMAKE_C_COMPILER ${RUPENA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RUPENA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RUPENA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RUPENA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable, tests included, must run from a bare folder on a machine
# (or a Wine prefix) that has no mingw runtime DLLs: link the runtimes in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
