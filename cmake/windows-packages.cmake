# The zip of bmi.exe and its texts, then an installer of the same files where
# wixl is. Every version shares the upgrade code, so that a newer one replaces
# the older; the other codes follow from the version: a rebuild is the same product.
# Sets bmi_package; reads bmi_texts.
set(CPACK_GENERATOR ZIP)
set(bmi_package bmi-${PROJECT_VERSION}-win64.zip)
find_program(CPACK_BMI_WIXL wixl)
set(bmi_upgrade_code E44B49DF-4C57-46FD-BC15-1537BD9B1E91)
foreach(code product component)
  string(UUID bmi_${code}_code NAMESPACE ${bmi_upgrade_code} NAME "${code} ${PROJECT_VERSION}" TYPE SHA1 UPPER)
endforeach()
set(bmi_text_files "")
foreach(name ${bmi_texts})
  string(APPEND bmi_text_files "            <File Id=\"${name}.txt\" Source=\"${name}.txt\"/>\n")
endforeach()
configure_file(dist/bmi.wxs.in bmi.wxs @ONLY)
set(CPACK_BMI_WXS ${PROJECT_BINARY_DIR}/bmi.wxs)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/scripts/msi.cmake)
include(CPack)
