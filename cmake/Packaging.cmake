# SPDX-License-Identifier: GPL-3.0-or-later
# Where everything goes on install, the desktop's view of the program (entry, icons, metainfo,
# manual pages) with its checks, and the Debian package made by `scripts/package`.
include(GNUInstallDirs)

set(RAVELMARK_APP_ID se.ravelmark.Ravelmark)
set(_res ${PROJECT_SOURCE_DIR}/resources)
set(_man ${PROJECT_SOURCE_DIR}/docs/man/ravelmark.1 ${PROJECT_SOURCE_DIR}/docs/man/ravelmark-tool.1
         ${PROJECT_SOURCE_DIR}/docs/man/ravelmark.5)

if(RAVELMARK_BUILD_UI)
  install(FILES ${_res}/${RAVELMARK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_res}/${RAVELMARK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${_res}/icons/ravelmark.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${_res}/icons/ravelmark-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ravelmark.png)
  endforeach()
endif()
# Manual pages and the changelog go in compressed, as Debian keeps them.
foreach(page ${_man})
  get_filename_component(name ${page} NAME)
  get_filename_component(section ${page} LAST_EXT)
  string(SUBSTRING ${section} 1 -1 section)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND gzip -9nc ${page} > ${CMAKE_BINARY_DIR}/man/${name}.gz
                     DEPENDS ${page} VERBATIM)
  list(APPEND _man_gz ${CMAKE_BINARY_DIR}/man/${name}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
                   COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/NEWS > ${CMAKE_BINARY_DIR}/doc/changelog.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/NEWS VERBATIM)
add_custom_target(man_pages ALL DEPENDS ${_man_gz} ${CMAKE_BINARY_DIR}/doc/changelog.gz)
# The user's guide, the licence in Debian's machine-readable form (the same file REUSE reads)
# and the changelog, which NEWS keeps in Debian's format.
set(_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/ravelmark)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${_doc})
install(FILES ${PROJECT_SOURCE_DIR}/.reuse/dep5 DESTINATION ${_doc} RENAME copyright)

# The files as the desktop and the software centres read them; warnings fail too.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
find_program(GROFF groff)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop_entry_valid COMMAND ${DESKTOP_FILE_VALIDATE} ${_res}/${RAVELMARK_APP_ID}.desktop)
  set_tests_properties(desktop_entry_valid PROPERTIES FAIL_REGULAR_EXPRESSION "[a-z]")
endif()
if(APPSTREAMCLI)
  add_test(NAME metainfo_valid COMMAND ${APPSTREAMCLI} validate --no-net ${_res}/${RAVELMARK_APP_ID}.metainfo.xml)
  set_tests_properties(metainfo_valid PROPERTIES FAIL_REGULAR_EXPRESSION "^[EWI]:|\n[EWI]:")
endif()
if(GROFF)
  foreach(page ${_man})
    get_filename_component(name ${page} NAME)
    add_test(NAME man_${name} COMMAND ${GROFF} -ww -z -man ${page})
    # groff reports its warnings but still succeeds; any output is a fault of the page.
    set_tests_properties(man_${name} PROPERTIES FAIL_REGULAR_EXPRESSION "." ENVIRONMENT "LC_ALL=C.UTF-8")
  endforeach()
endif()
# Every file carries its licence and copyright, in its header or in .reuse/dep5.
find_program(REUSE reuse)
if(REUSE)
  add_test(NAME reuse_lint COMMAND ${REUSE} --root ${PROJECT_SOURCE_DIR} lint)
else()
  add_test(NAME reuse_lint COMMAND sh -c "echo 'reuse is not installed (scripts/deps installs it)'; exit 77")
endif()
set_tests_properties(reuse_lint PROPERTIES SKIP_RETURN_CODE 77 LABELS core)
# The package is made once; the others check what it holds, what lintian says of it and the
# hardening of its programs.
if(RAVELMARK_BUILD_UI)
  set(_deb ${CMAKE_BINARY_DIR}/deb-test)
  add_test(NAME deb_contents COMMAND ${PROJECT_SOURCE_DIR}/tests/deb_contents.sh ${CMAKE_BINARY_DIR} ${_deb})
  add_test(NAME deb_lintian COMMAND ${PROJECT_SOURCE_DIR}/tests/deb_checks.sh lintian ${_deb})
  set_tests_properties(deb_contents PROPERTIES FIXTURES_SETUP deb)
  set_tests_properties(deb_lintian PROPERTIES FIXTURES_REQUIRED deb SKIP_RETURN_CODE 77)
  set_tests_properties(deb_contents deb_lintian PROPERTIES LABELS "needs-root;packaging" RUN_SERIAL ON)
  # Only a hardened build has hardened programs to check (the sanitizer and fuzz builds are not).
  if(RAVELMARK_HARDEN AND NOT RAVELMARK_SANITIZE AND NOT RAVELMARK_FUZZ)
    add_test(NAME deb_hardening COMMAND ${PROJECT_SOURCE_DIR}/tests/deb_checks.sh hardening ${_deb})
    set_tests_properties(deb_hardening PROPERTIES FIXTURES_REQUIRED deb SKIP_RETURN_CODE 77
                         LABELS "needs-root;packaging" RUN_SERIAL ON)
  endif()
endif()

set(CPACK_PACKAGE_NAME ravelmark)
set(CPACK_PACKAGE_VENDOR Ravelmark)
set(CPACK_PACKAGE_CONTACT "Ravelmark <info@ravelmark.se>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "score keeper for tournaments played in rounds")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_RAVELMARK_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackPrograms.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://ravelmark.se/)
# CPack puts the summary first and indents the rest; an empty line becomes " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ravelmark keeps the score of a tournament played in rounds - a club's spring
series, a quiz league, a card evening - and publishes its standings as an HTML
page. The tournament lives in a plain text file that can also be written by
hand. The program's texts are Swedish.

The package holds the desktop program ravelmark and the command-line tool
ravelmark-tool, which checks, rewrites and publishes a tournament without a
window.")
# The libraries come from dpkg-shlibdeps; Qt's display plugins are loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
include(CPack)
