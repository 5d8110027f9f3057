# The .deb where its dependencies can be computed (dpkg-shlibdeps and file),
# the .rpm where rpmbuild is and they are not (an RPM system), else a .tar.gz.
# Sets bmi_package, the name CPack gives it; reads the change log's
# bmi_changes, bmi_maintainer and its date, bmi_weekday to bmi_year.
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(FILE_COMMAND file)
find_program(RPMBUILD rpmbuild)
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
bmi-term shows them on a terminal, converted to its character set.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_POST_BUILD_SCRIPTS ${CPACK_PRE_BUILD_SCRIPTS})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP Applications/Productivity)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# CPack writes no Recommends or Packager tag itself. Fedora's and RHEL's
# glibc converts Shift_JIS only with its extra converters. The .deb's files
# and no more: no build-id links. The times SOURCE_DATE_EPOCH gives, and no
# host name.
set(CPACK_RPM_SPEC_MORE_DEFINE
    "Recommends: glibc-gconv-extra\nPackager: ${CPACK_PACKAGE_CONTACT}\n%define _build_id_links none
%define use_source_date_epoch_as_buildtime 1\n%define clamp_mtime_to_source_date_epoch 1\n%define _buildhost bmi")
set(CPACK_RPM_USER_FILELIST "%license /usr/share/doc/bmi/copyright")
# The filesystem package owns these.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/applications /usr/share/man
    /usr/share/man/man1 /usr/share/man/ja /usr/share/man/ja/man1)
# The newest change log entry in rpm's form, for CPack's placeholder; rpm
# would expand a macro.
string(REGEX REPLACE "^  \\* " "- " items "${bmi_changes}")
string(REPLACE "\n  * " "\n- " items "${items}")
string(REPLACE "\n    " "\n  " items "${items}")
string(REPLACE "%" "%%" items "${items}")
file(WRITE ${PROJECT_BINARY_DIR}/rpm-changelog
     "* ${bmi_weekday} ${bmi_month} ${bmi_day} ${bmi_year} ${bmi_maintainer} - ${PROJECT_VERSION}-1\n${items}")
set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
# Every generator, the .tar.gz too, installs into usr/ in its staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
include(CPack)
