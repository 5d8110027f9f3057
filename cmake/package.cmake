# What `cmake --install` and the packages hold, each with its SHA-256 sum beside it.
include(GNUInstallDirs)
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
# The same bytes from any folder: no folder in the binary, no link time stamp.
target_compile_options(bmi_flags INTERFACE -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                                           -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
if(WIN32)
  target_link_options(bmi_flags INTERFACE -Wl,--no-insert-timestamp)
endif()
set(CPACK_STRIP_FILES ON)
# Hardened as Debian builds its packages where dpkg-buildflags is, elsewhere
# as the OpenSSF compiler options guide's baseline has it. The sanitizer build
# goes without.
option(BMI_HARDENING "Build hardened: dpkg-buildflags' flags where it is installed, else the OpenSSF baseline" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(BMI_HARDENING AND CMAKE_SYSTEM_NAME STREQUAL Linux)
  set(compile "")
  set(link "")
  if(DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      # Run in the source folder, which its own prefix map then names ".".
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                DEB_HOST_ARCH=${CPACK_DEBIAN_PACKAGE_ARCHITECTURE} ${DPKG_BUILDFLAGS} --get ${kind}
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
  set(rejected "")
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
    else()
      list(APPEND rejected ${flag})
    endif()
  endforeach()
  if(rejected)
    list(JOIN rejected " " rejected)
    message(STATUS "Hardening: built without ${rejected}, which the compiler or linker rejects")
  endif()
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
set(CPACK_PACKAGE_CONTACT "The bmi developers <bmi@example.org>")
set(CPACK_PACKAGE_VENDOR "The bmi developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "body mass index and body type, in a short consultation in Japanese")
set(CPACK_PACKAGE_CHECKSUM SHA256)
# What the packages hold is made from these when CMake runs.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE cmake/windows-readme.txt)
# The manual pages carry the version they describe.
configure_file(man/bmi.1.in man/bmi.1 @ONLY)
configure_file(man/ja/bmi.1.in man/ja/bmi.1 @ONLY)
if(WIN32)
  # Beside bmi.exe, texts with CRLF line ends, the Japanese one marked as UTF-8.
  file(READ cmake/windows-readme.txt README_txt)
  file(READ LICENSE LICENSE_txt)
  set(texts README LICENSE)
  find_program(GROFF groff)
  if(GROFF)
    # The width of a Japanese character is the locale's to say.
    set(groff ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${GROFF} -man -P-cbou)
    execute_process(COMMAND ${groff} -Tascii man/bmi.1 WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
                    OUTPUT_VARIABLE manual_txt COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${groff} -k -Tutf8 man/ja/bmi.1 WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
                    OUTPUT_VARIABLE manual-ja_txt COMMAND_ERROR_IS_FATAL ANY)
    string(ASCII 239 187 191 byte_order_mark)
    string(PREPEND manual-ja_txt "${byte_order_mark}")
    list(APPEND texts manual manual-ja)
    string(APPEND README_txt "\nmanual.txt is the manual, manual-ja.txt the manual in Japanese.\n")
  else()
    message(STATUS "groff not found: the zip leaves out the rendered manuals")
  endif()
  foreach(name ${texts})
    string(REPLACE "\n" "\r\n" text "${${name}_txt}")
    file(WRITE ${PROJECT_BINARY_DIR}/zip/${name}.txt "${text}")
    install(FILES ${PROJECT_BINARY_DIR}/zip/${name}.txt DESTINATION .)
  endforeach()
  install(TARGETS bmi RUNTIME DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(bmi_package bmi-${PROJECT_VERSION}-win64.zip)
  # After the zip, an installer of the same files, where wixl is. Every
  # version shares the upgrade code, so that a newer one replaces the older;
  # the other codes follow from the version: a rebuild is the same product.
  find_program(CPACK_BMI_WIXL wixl)
  set(bmi_upgrade_code E44B49DF-4C57-46FD-BC15-1537BD9B1E91)
  foreach(code product component)
    string(UUID bmi_${code}_code NAMESPACE ${bmi_upgrade_code} NAME "${code} ${PROJECT_VERSION}" TYPE SHA1 UPPER)
  endforeach()
  set(bmi_text_files "")
  foreach(name ${texts})
    string(APPEND bmi_text_files "            <File Id=\"${name}.txt\" Source=\"${name}.txt\"/>\n")
  endforeach()
  configure_file(cmake/bmi.wxs.in bmi.wxs @ONLY)
  set(CPACK_BMI_WXS ${PROJECT_BINARY_DIR}/bmi.wxs)
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/msi.cmake)
  include(CPack)
  return()
endif()
# Debian wants the documents compressed, without a name or time stamp inside.
configure_file(CHANGELOG CHANGELOG COPYONLY)
execute_process(COMMAND gzip -9nc CHANGELOG WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/CHANGELOG.gz COMMAND_ERROR_IS_FATAL ANY)
# CPack gives its prefix (/usr) only when it installs.
install(CODE "
  set(PROJECT_VERSION ${PROJECT_VERSION})
  foreach(page bmi.1 ja/bmi.1)
    configure_file(${PROJECT_SOURCE_DIR}/man/\${page}.in ${PROJECT_BINARY_DIR}/installed/\${page} @ONLY)
    execute_process(COMMAND gzip -9nc \${page} WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/installed
                    OUTPUT_FILE ${PROJECT_BINARY_DIR}/installed/\${page}.gz COMMAND_ERROR_IS_FATAL ANY)
  endforeach()")
# Debian's copyright format: the licence indented, an empty line as a full stop.
file(READ LICENSE licence)
string(REGEX REPLACE "^.*\n\n(Permission is hereby granted)" "\\1" licence "${licence}")
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
configure_file(cmake/copyright.in copyright @ONLY)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/installed/ja)
file(CREATE_LINK bmi.1.gz ${PROJECT_BINARY_DIR}/installed/bmi-term.1.gz SYMBOLIC)
file(CREATE_LINK bmi.1.gz ${PROJECT_BINARY_DIR}/installed/ja/bmi-term.1.gz SYMBOLIC)
install(TARGETS bmi bmi-term RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/installed/bmi.1.gz ${PROJECT_BINARY_DIR}/installed/bmi-term.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/installed/ja/bmi.1.gz ${PROJECT_BINARY_DIR}/installed/ja/bmi-term.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES cmake/bmi.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES README.md ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_BINARY_DIR}/CHANGELOG.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.gz)
# A .deb's dependencies are computed with both; an RPM system's package is
# an .rpm; elsewhere, a plain archive.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(FILE_COMMAND file)
find_program(RPMBUILD rpmbuild)
# What the package test expects CPack to name it.
if(DPKG_SHLIBDEPS AND FILE_COMMAND)
  set(CPACK_GENERATOR DEB)
  set(bmi_package bmi_${PROJECT_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb)
elseif(RPMBUILD)
  set(CPACK_GENERATOR RPM)
  set(bmi_package bmi-${PROJECT_VERSION}-1.${CMAKE_SYSTEM_PROCESSOR}.rpm)
else()
  set(CPACK_GENERATOR TGZ)
  set(bmi_package bmi-${PROJECT_VERSION}-Linux.tar.gz)
endif()
set(CPACK_PACKAGE_DESCRIPTION "bmi asks for a weight in kilograms and a height in metres, and reports the
weight, the ideal weight for the height, the height in centimetres and the
body mass index, then names one of five body types. All its texts are
Japanese, written in Shift_JIS for a console that shows code page 932;
bmi-term shows them on a terminal of any character set.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# CPack writes no Recommends or Packager tag itself. Fedora's and RHEL's
# glibc converts Shift_JIS only with its extra converters.
# The .deb's files and no more: no build-id links.
set(CPACK_RPM_SPEC_MORE_DEFINE
    "Recommends: glibc-gconv-extra\nPackager: ${CPACK_PACKAGE_CONTACT}\n%define _build_id_links none")
set(CPACK_RPM_PACKAGE_GROUP Applications/Productivity)
set(CPACK_RPM_USER_FILELIST "%license /usr/share/doc/bmi/copyright")
# The filesystem package owns these.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/applications /usr/share/man
    /usr/share/man/man1 /usr/share/man/ja /usr/share/man/ja/man1)
# The newest change log entry, in rpm's form, instead of CPack's placeholder.
file(READ CHANGELOG changes)
string(FIND "${changes}" "\n -- " end)
string(SUBSTRING "${changes}" 0 ${end} items)
string(SUBSTRING "${changes}" ${end} 100 trailer)
string(REGEX REPLACE "^\n -- ([^\n]*>)  ([A-Za-z]+), ([0-9]+) ([A-Za-z]+) ([0-9]+).*$"
       "* \\2 \\4 \\3 \\5 \\1 - ${PROJECT_VERSION}-1" trailer "${trailer}")
string(REGEX REPLACE "^[^\n]*\n\n  \\* " "- " items "${items}")
string(REPLACE "\n  * " "\n- " items "${items}")
string(REPLACE "\n    " "\n  " items "${items}")
# rpm would expand a macro.
string(REPLACE "%" "%%" items "${items}")
file(WRITE ${PROJECT_BINARY_DIR}/rpm-changelog "${trailer}\n${items}\n")
set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
# Every generator installs into /usr under its staging folder, where the
# pages are made: they name /usr.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
include(CPack)
