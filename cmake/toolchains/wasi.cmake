# Compiles for WebAssembly with clang and Debian's WASI C library (the
# README names the packages), and runs what it built under Node.js's WASI.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-warnings --experimental-wasi-unstable-preview1
    ${CMAKE_CURRENT_LIST_DIR}/../../tests/wasi.mjs)
