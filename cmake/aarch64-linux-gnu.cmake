# Cross-compiles for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu.
# Programs built with it run on an x86-64 machine under qemu-user, which
# CMake is told about so that it can run them (test discovery, ctest).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(_triple aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${_triple}-gcc)
set(CMAKE_CXX_COMPILER ${_triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L: where the emulator finds the target's loader and C library.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${_triple})
