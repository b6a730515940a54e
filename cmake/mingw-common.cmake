# Shared part of the two mingw-w64 toolchain files; ZOLAN_TRIPLET is set by the caller.
set(CMAKE_C_COMPILER   ${ZOLAN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOLAN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZOLAN_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZOLAN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run through wine; the test script provides WINEPREFIX and a running wineserver.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
