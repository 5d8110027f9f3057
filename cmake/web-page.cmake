# The page: web/bmi.html filled in with its script, the licence and bmi's
# module, stripped; and a zip that holds the page alone.
# Sets bmi_page, for the browser test, and bmi_package.
set(bmi_page ${PROJECT_BINARY_DIR}/bmi.html)
add_custom_command(OUTPUT ${bmi_page}
                   COMMAND ${CMAKE_STRIP} --strip-all -o bmi.stripped $<TARGET_FILE:bmi>
                   COMMAND ${CMAKE_COMMAND} -D source=${PROJECT_SOURCE_DIR} -D version=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/scripts/page.cmake
                   DEPENDS bmi web/bmi.html web/bmi.js LICENSE cmake/scripts/page.cmake)
add_custom_target(page ALL DEPENDS ${bmi_page})
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME bmi-${PROJECT_VERSION}-web)
set(bmi_package ${CPACK_PACKAGE_FILE_NAME}.zip)
include(CPack)
