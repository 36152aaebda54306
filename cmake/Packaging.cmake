# What an installed Tolvane holds besides the program (man pages, file type, AppStream
# metadata, Debian doc files), and the Debian package that CPack makes of it (scripts/package).
include(GNUInstallDirs)

set(TOLVANE_HOMEPAGE "https://tolvane.example.org" CACHE STRING
    "Home page named by the package and the AppStream metadata (its screenshot lies below it)")
set(TOLVANE_MAINTAINER "Tolvane developers <tolvane@example.org>" CACHE STRING
    "Maintainer of the Debian package")
set(TOLVANE_APPSTREAM_ID "org.example.tolvane")

# Release dates come from the last commit, so a rebuild of the same source makes the same files.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_status ERROR_QUIET)
    if(git_status EQUAL 0 AND commit_time)
        set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
    endif()
endif()
set(tolvane_date_env)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(tolvane_date_env SOURCE_DATE_EPOCH=$ENV{SOURCE_DATE_EPOCH})
endif()
string(TIMESTAMP TOLVANE_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP TOLVANE_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(tolvane_programs tolvane)
if(TARGET tolvane-cli)
    list(APPEND tolvane_programs tolvane-cli)
    install(TARGETS tolvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Man pages are made from each program's --help and --version, so they cannot drift apart.
# Sanitizer builds skip them: a leak report at exit would fail the build for nothing.
find_program(HELP2MAN_PROGRAM help2man)
if(HELP2MAN_PROGRAM AND NOT TOLVANE_SANITIZE AND NOT TOLVANE_FUZZ)
    set(tolvane_man_name "send an address-book backup to Korvil 2950MFP printers")
    set(tolvane-cli_man_name "restore Korvil 2950MFP printers' address books from a terminal")
    foreach(program ${tolvane_programs})
        set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env ${tolvane_date_env}
                    ${HELP2MAN_PROGRAM} --no-info --name=${${program}_man_name}
                    --output=${page} $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program} VERBATIM)
        add_custom_target(${program}_man_page ALL DEPENDS ${page}.gz)
        install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
else()
    message(STATUS "No man pages (they need help2man and a build without sanitizers)")
endif()

install(FILES resources/tolvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME tolvane.xml)
configure_file(resources/tolvane.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${TOLVANE_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TOLVANE_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian wants the copyright and a compressed changelog beside every package.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TOLVANE_MAINTAINER})
configure_file(resources/package/changelog.in ${PROJECT_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.gz
    COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/package/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/package/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.gz)
install(FILES resources/package/copyright ${PROJECT_BINARY_DIR}/package/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tolvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "restore an address book into Korvil 2950MFP printers")
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvane sends an address-book backup file (.rvk) to Korvil 2950MFP printers
on the local network. It finds the printers by SNMP, lists them with tick
boxes, checks that the file is a backup for this printer family, and sends it
whole to each ticked printer, showing for each whether it was sent or failed.
tolvane-cli does the same from a terminal or a script.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TOLVANE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its display plugins at run time, out of dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/StripNotes.cmake)
include(CPack)
