# IBM Z: s390x-linux-gnu
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(triple s390x-linux-gnu)
set(qemu qemu-s390x)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
