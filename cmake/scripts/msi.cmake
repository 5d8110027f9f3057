# Run by CPack after the zip: the .msi from the zip's staged files, or a
# message saying why there is none.
set(name ${CPACK_PACKAGE_FILE_NAME}.msi)
set(msi ${CPACK_PACKAGE_DIRECTORY}/${name})
file(REMOVE "${msi}" "${msi}.sha256")
if(NOT CPACK_BMI_WIXL)
  message(STATUS "wixl not found: no .msi")
  return()
endif()
# wixl reads its sources by relative paths only.
execute_process(COMMAND "${CPACK_BMI_WIXL}" -a x64 -o "${msi}" "${CPACK_BMI_WXS}"
                WORKING_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}" RESULT_VARIABLE failed)
if(failed)
  file(REMOVE "${msi}")
  message(WARNING "wixl failed (${failed}): no .msi")
  return()
endif()
file(SHA256 "${msi}" sum)
file(WRITE "${msi}.sha256" "${sum}  ${name}\n")
message(STATUS "- package: ${msi} generated.")
