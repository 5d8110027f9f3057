# Cross-builds for another Linux processor with Debian's cross compiler
# (g++-<triple>) and runs what it built under qemu's user-mode emulator
# (qemu-user). BMI_TRIPLE names the target, as aarch64-linux-gnu does.
if(NOT BMI_TRIPLE)
  message(FATAL_ERROR "Give the target's triple: -DBMI_TRIPLE=aarch64-linux-gnu, say")
endif()
set(CMAKE_SYSTEM_NAME Linux)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BMI_TRIPLE)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${BMI_TRIPLE}")
set(CMAKE_C_COMPILER ${BMI_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${BMI_TRIPLE}-g++)
# qemu and Debian have names of their own for some processors.
string(REGEX REPLACE "^i.86$" i386 qemu ${CMAKE_SYSTEM_PROCESSOR})
string(REPLACE powerpc64le ppc64le qemu ${qemu})
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${qemu} -L /usr/${BMI_TRIPLE})
execute_process(COMMAND dpkg-architecture -t${BMI_TRIPLE} -qDEB_HOST_ARCH
                OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
