# Cross-builds for another Linux processor with Debian's cross compilers
# (g++-<triple>) and runs what it built under qemu's user-mode emulator
# (qemu-user). Included by a file per processor that sets `triple` and `qemu`.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${qemu} -L /usr/${triple})
