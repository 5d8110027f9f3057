# Cross-builds a native Windows bmi.exe with Debian's MinGW-w64 toolchain
# (the README names its package), and runs what it built under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
# No DLL beside bmi.exe: the C++ runtime and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# Quiet, and without the .NET and HTML engines that Wine would offer to
# download when it makes its folder.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= /usr/lib/wine/wine64)
