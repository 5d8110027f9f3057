# What cmake --install and the packages install. It writes nothing into the
# build tree, not even its list of what it installed: by root, that list
# would be left root's, and its owner's next package would fail.
# Reads bmi_page and bmi_texts.
if(CMAKE_HOST_UNIX)
  file(CREATE_LINK /dev/null ${PROJECT_BINARY_DIR}/install_manifest.txt SYMBOLIC)
endif()
if(bmi_page)
  install(FILES ${bmi_page} DESTINATION .)
  return()
endif()
if(WIN32)
  install(TARGETS bmi RUNTIME DESTINATION .)
  list(TRANSFORM bmi_texts REPLACE "(.+)" "${PROJECT_BINARY_DIR}/zip/\\1.txt" OUTPUT_VARIABLE texts)
  install(FILES ${texts} DESTINATION .)
  return()
endif()
include(GNUInstallDirs)
install(TARGETS bmi bmi-term RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(language "" ja/)
  install(FILES ${PROJECT_BINARY_DIR}/man/${language}bmi.1.gz ${PROJECT_BINARY_DIR}/man/${language}bmi-term.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}man1)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/bmi.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES README.md ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_BINARY_DIR}/CHANGELOG.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.gz)
