# Run by CPack before and after it packs, so that no package depends on the
# umask or the time zone of the build: the staged folders get the modes of
# Debian's policy, a .deb's three members 0644, as dpkg-deb gives them, where
# CPack takes the modes of its own files; and a zip's times, which it writes
# in local time, are in UTC.
if(NOT CPACK_PACKAGE_FILES)
  set(ENV{TZ} UTC0)
  file(GLOB_RECURSE folders LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
  foreach(folder ${CPACK_TEMPORARY_DIRECTORY} ${folders})
    if(IS_DIRECTORY ${folder} AND NOT IS_SYMLINK ${folder})
      file(CHMOD ${folder} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
           GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
  endforeach()
endif()
foreach(deb ${CPACK_PACKAGE_FILES})
  if(deb MATCHES "\\.deb$")
    # The second member's size; the first is debian-binary, 4 bytes.
    file(READ ${deb} size OFFSET 120 LIMIT 10)
    string(STRIP "${size}" size)
    math(EXPR third "8 + 60 + 4 + 60 + ${size} + ${size} % 2 + 40")
    foreach(mode_at 48 112 ${third})
      execute_process(COMMAND sh -c "printf '100644  ' | dd of=\"$0\" bs=1 seek=$1 conv=notrunc 2>/dev/null"
                              ${deb} ${mode_at})
    endforeach()
  endif()
endforeach()
