# Cross build for 32-bit Windows with MinGW-w64 (posix threads): the product.
# Its tests run under Debian's 32-bit Wine (wine32:i386, which
# scripts/install-deps.sh installs where the kernel runs 32-bit programs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TONVELKA_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TONVELKA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TONVELKA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TONVELKA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TONVELKA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
