# Installing and packaging. `cmake --install` lays the program out as its
# platform expects it; CPack turns that layout into a Debian package on Linux
# and into a zip file in the Windows build. The version is the project's.

set(QUILLFIN_RELEASE_DATE "2026-12-08")
set(QUILLFIN_APP_ID "org.quillfin.Quillfin")
set(QUILLFIN_PACKAGE_MAINTAINER "The Quillfin developers <developers@quillfin.invalid>"
    CACHE STRING "Maintainer named in the Debian package: Name <address>")

set(QUILLFIN_PROGRAMS quillfin)
if(TARGET quillfin-check)
    list(APPEND QUILLFIN_PROGRAMS quillfin-check)
endif()

if(WIN32)
    # Everything in one folder: the program, and beside it the "help" folder
    # that the Help box names, the examples and a read-me in Windows line ends.
    install(TARGETS ${QUILLFIN_PROGRAMS} RUNTIME DESTINATION .)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION help)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)
    set(QUILLFIN_README_CHECK_LINE "")
    if(TARGET quillfin-check)
        string(CONCAT QUILLFIN_README_CHECK_LINE
               "  quillfin-check.exe  finds the mistakes in question files and round files.\n"
               "                      Run it in a command window: quillfin-check.exe FILE...\n")
    endif()
    # Filled in first, then every line ended with CR LF, those filled in too.
    configure_file(${PROJECT_SOURCE_DIR}/resources/ReadMe-Windows.txt.in
                   ${PROJECT_BINARY_DIR}/README.txt.in @ONLY)
    configure_file(${PROJECT_BINARY_DIR}/README.txt.in ${PROJECT_BINARY_DIR}/README.txt @ONLY
                   NEWLINE_STYLE CRLF)
    install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
else()
    include(GNUInstallDirs)
    set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillfin)
    set(share ${CMAKE_INSTALL_DATAROOTDIR})
    install(TARGETS ${QUILLFIN_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUILLFIN_APP_ID}.desktop
            DESTINATION ${share}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUILLFIN_APP_ID}.xml
            DESTINATION ${share}/mime/packages)
    configure_file(${PROJECT_SOURCE_DIR}/resources/${QUILLFIN_APP_ID}.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/${QUILLFIN_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${QUILLFIN_APP_ID}.metainfo.xml
            DESTINATION ${share}/metainfo)
    foreach(size 16 24 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quillfin-${size}.png
                DESTINATION ${share}/icons/hicolor/${size}x${size}/apps
                RENAME ${QUILLFIN_APP_ID}.png)
    endforeach()
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${doc}/help)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${doc}/examples)
    # The terms of use (Help > Terms) where Debian keeps every package's.
    install(FILES ${PROJECT_SOURCE_DIR}/resources/copyright DESTINATION ${doc})

    # The package's changelog and the manual pages, compressed as Debian
    # wants them (gzip -9n: the same bytes from every build). The changelog's
    # newest entry must name the project's version.
    file(STRINGS ${PROJECT_SOURCE_DIR}/resources/changelog.Debian newest LIMIT_COUNT 1)
    if(NOT newest MATCHES "^quillfin \\(${PROJECT_VERSION}\\) ")
        message(FATAL_ERROR "resources/changelog.Debian: the newest entry is not version "
                            "${PROJECT_VERSION}: ${newest}")
    endif()
    find_program(QUILLFIN_GZIP gzip REQUIRED)
    set(compressed)
    foreach(pair "changelog.Debian:changelog.gz" "man/quillfin.1:quillfin.1.gz"
                 "man/quillfin-check.1:quillfin-check.1.gz")
        string(REPLACE ":" ";" pair "${pair}")
        list(GET pair 0 from)
        list(GET pair 1 to)
        add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${to}
                           COMMAND ${QUILLFIN_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/resources/${from}
                                   > ${PROJECT_BINARY_DIR}/${to}
                           DEPENDS ${PROJECT_SOURCE_DIR}/resources/${from} VERBATIM)
        list(APPEND compressed ${PROJECT_BINARY_DIR}/${to})
    endforeach()
    add_custom_target(quillfin_compressed_docs ALL DEPENDS ${compressed})
    install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${doc})
    install(FILES ${PROJECT_BINARY_DIR}/quillfin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    if(TARGET quillfin-check)
        install(FILES ${PROJECT_BINARY_DIR}/quillfin-check.1.gz
                DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endif()

set(CPACK_PACKAGE_NAME quillfin)
set(CPACK_PACKAGE_VENDOR "The Quillfin developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quiz trainer for one learner")
# Lines of the long description, as the Debian package shows them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Quillfin asks the questions of a question file in a shuffled order.\n"
       "The learner answers by typing, or by clicking the right area of a\n"
       "picture. A question answered wrongly comes back later, until every\n"
       "question has been answered correctly. A round in progress can be saved\n"
       "and continued by opening the saved round from the file manager.")
if(TARGET quillfin-check)
    string(APPEND CPACK_PACKAGE_DESCRIPTION "\n\n"
           "Teachers write question files as plain text. The console program\n"
           "quillfin-check reports their mistakes with file, line and column.")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME quillfin-${PROJECT_VERSION}-windows-x86_64)
    # Unpacked, the zip gives one folder of that name.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLFIN_PACKAGE_MAINTAINER})
    set(CPACK_DEBIAN_PACKAGE_SECTION education)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # The libraries the program links, as dpkg-shlibdeps finds them.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The text area asks for Verdana; fontconfig gives DejaVu Sans in its place.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
endif()
include(CPack)
