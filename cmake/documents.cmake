# What the packages hold besides the programs, all made by the build, so that
# an install only copies: the manual pages; on Linux the menu entry, the
# copyright, and the pages and change log compressed as Debian wants them (no
# name or time stamp inside); on Windows texts for beside bmi.exe.
# Reads bmi_date, bmi_maintainer and bmi_description_ja; sets bmi_texts, the
# texts beside bmi.exe.
configure_file(man/bmi.1.in man/bmi.1 @ONLY)
configure_file(man/ja/bmi.1.in man/ja/bmi.1 @ONLY)
if(NOT WIN32)
  # A menu's comment begins with a capital.
  string(SUBSTRING "${PROJECT_DESCRIPTION}" 0 1 first)
  string(SUBSTRING "${PROJECT_DESCRIPTION}" 1 -1 rest)
  string(TOUPPER ${first} first)
  set(bmi_comment "${first}${rest}")
  configure_file(dist/bmi.desktop.in bmi.desktop @ONLY)
  # Debian's copyright format: the licence indented, an empty line as a full stop.
  file(READ LICENSE licence)
  string(REGEX REPLACE "^.*\n\n(Permission is hereby granted)" "\\1" licence "${licence}")
  string(STRIP "${licence}" licence)
  string(REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REPLACE "\n" "\n " licence "${licence}")
  configure_file(dist/copyright.in copyright @ONLY)
  configure_file(CHANGELOG CHANGELOG COPYONLY)
  set(compressed "")
  foreach(document man/bmi.1 man/ja/bmi.1 CHANGELOG)
    add_custom_command(OUTPUT ${document}.gz COMMAND gzip -9nc ${document} > ${document}.gz
                       DEPENDS ${PROJECT_BINARY_DIR}/${document})
    list(APPEND compressed ${document}.gz)
  endforeach()
  add_custom_target(documents ALL DEPENDS ${compressed})
  # bmi-term's page is bmi's.
  file(CREATE_LINK bmi.1.gz ${PROJECT_BINARY_DIR}/man/bmi-term.1.gz SYMBOLIC)
  file(CREATE_LINK bmi.1.gz ${PROJECT_BINARY_DIR}/man/ja/bmi-term.1.gz SYMBOLIC)
  return()
endif()
# CRLF line ends, and the Japanese text marked as UTF-8.
file(READ dist/README.txt README_txt)
file(READ LICENSE LICENSE_txt)
set(bmi_texts README LICENSE)
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
  list(APPEND bmi_texts manual manual-ja)
  string(APPEND README_txt "\nmanual.txt is the manual, manual-ja.txt the manual in Japanese.\n")
else()
  message(STATUS "groff not found: the zip leaves out the rendered manuals")
endif()
foreach(name ${bmi_texts})
  string(REPLACE "\n" "\r\n" text "${${name}_txt}")
  file(WRITE ${PROJECT_BINARY_DIR}/zip/${name}.txt "${text}")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE dist/README.txt)
