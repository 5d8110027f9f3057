# Hardened as Debian builds its packages where dpkg-buildflags is, elsewhere
# as the OpenSSF compiler options guide's baseline has it. The sanitizer build
# goes without. A cross-build's toolchain names Debian's architecture.
# Sets bmi_hardened where it hardens, for the package test.
option(BMI_HARDENING "Build hardened: dpkg-buildflags' flags where it is installed, else the OpenSSF baseline" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(BMI_HARDENING AND CMAKE_SYSTEM_NAME STREQUAL Linux)
  set(compile "")
  set(link "")
  if(DPKG_BUILDFLAGS)
    set(host "")
    if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
      set(host DEB_HOST_ARCH=${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      # Run in the source folder, which its own prefix map then names ".".
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${host}
                ${DPKG_BUILDFLAGS} --get ${kind}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE ${kind} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  else()
    set(CPPFLAGS "-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=3 -D_GLIBCXX_ASSERTIONS")
    set(CXXFLAGS "")
    set(LDFLAGS "")
    set(compile -fstack-protector-strong -fPIE)
    set(link -pie -Wl,-z,relro -Wl,-z,now -Wl,-z,noexecstack)
  endif()
  # Newer dpkg adds stack clash and control-flow protection itself; Debian 12's leaves them out.
  list(APPEND compile -fstack-clash-protection)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
    list(APPEND compile -fcf-protection)
  endif()
  include(CheckCXXCompilerFlag)
  include(CheckLinkerFlag)
  # Each where the compiler and linker take it.
  foreach(flag ${compile} ${link})
    string(MAKE_C_IDENTIFIER "bmi_accepts${flag}" accepted)
    if(flag IN_LIST compile)
      check_cxx_compiler_flag(${flag} ${accepted})
      set(kind CXXFLAGS)
    else()
      check_linker_flag(CXX ${flag} ${accepted})
      set(kind LDFLAGS)
    endif()
    if(${accepted})
      string(APPEND ${kind} " ${flag}")
    endif()
  endforeach()
  # Optimization and debugging are the build type's; fortifying needs the optimizer.
  string(REGEX REPLACE "(^| )-[Og][^ ]*" "" CXXFLAGS "${CXXFLAGS}")
  if(CMAKE_BUILD_TYPE STREQUAL Debug)
    string(REGEX REPLACE "-D_FORTIFY_SOURCE=[0-9]" "" CPPFLAGS "${CPPFLAGS}")
  endif()
  # Before the user's own flags, which have the last word.
  string(PREPEND CMAKE_CXX_FLAGS "${CPPFLAGS} ${CXXFLAGS} ")
  string(PREPEND CMAKE_EXE_LINKER_FLAGS "${LDFLAGS} ")
  set(bmi_hardened 1)
endif()
# MinGW: its stack protector is linked in, as everything is; its fortified
# calls are sprintf's and the string functions', none of which bmi makes; the
# linker sets ASLR, high-entropy addresses and DEP itself.
if(BMI_HARDENING AND MINGW)
  string(PREPEND CMAKE_CXX_FLAGS "-fstack-protector-strong -D_FORTIFY_SOURCE=2 ")
  set(bmi_hardened 1)
endif()
