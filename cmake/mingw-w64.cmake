# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, so the C++ library has std::thread and std::mutex).
#
#   cmake -S . -B build-win -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DVARNIK_HOST_BUILD_DIR=<a Linux build folder>
#
# Everything links statically: the installer and its test programs need only
# the DLLs that come with Windows. ctest runs the test programs under Wine
# through cmake/wine-run (a private prefix inside the build folder).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNIK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNIK_MINGW_TRIPLET}-windres)

# Headers and libraries come from the target's root only (zlib from
# libz-mingw-w64-dev lives there); programs are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Prefer static archives over import libraries (libz.a, not libz.dll.a).
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The wrapper's first argument: the build folder's own Wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine)
