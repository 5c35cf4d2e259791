# Cross build for 64-bit Windows with MinGW-w64 (posix threads); its tests run
# under Debian's wine64, also where the kernel runs no 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TONVELKA_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TONVELKA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TONVELKA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TONVELKA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TONVELKA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
