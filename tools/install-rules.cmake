# SPDX-License-Identifier: GPL-3.0-or-later
# Where `cmake --install` puts the game, and the Debian package built from the same rules.
#
# Standard layout (the default components): the program folder (executable, standard
# pictures, first high-score list) in <prefix>/${TAVIK_INSTALL_PROGRAMDIR}, a `tavik` command
# (a relative symlink to the real executable, which finds its program folder through
# /proc/self/exe) in <prefix>/games or <prefix>/bin, the desktop entry, the hicolor icons,
# the AppStream metainfo and the manual pages under <prefix>/share. Every file lands under
# $DESTDIR<prefix>.
# Portable folder (`--component portable`, left out of a plain install): the program folder
# is <prefix> itself and nothing else is installed.
include(GNUInstallDirs)

# lib/tavik whatever the prefix: GNUInstallDirs' CMAKE_INSTALL_LIBDIR becomes lib/<multiarch>
# for the prefix /usr on Debian, which is for shared libraries, not a program's own folder.
set(TAVIK_INSTALL_PROGRAMDIR "lib/tavik" CACHE STRING
    "Program folder below the prefix (executable, standard pictures, first high-score list)")
set(TAVIK_HOMEPAGE "https://tavik.example.org" CACHE STRING
    "Public address of the project; the AppStream screenshots are taken from <address>/docs/screenshots")
set(TAVIK_APPSTREAM_ID org.example.tavik.Tavik CACHE STRING
    "AppStream id: the reverse of the address in TAVIK_HOMEPAGE and the name, as in org.example.tavik.Tavik")
set(TAVIK_INSTALL_COMMANDDIR "" CACHE STRING
    "Folder below the prefix for the tavik command; empty: games under the prefixes /usr and /usr/local, bin under any other")

file(GLOB tavik_standard_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/pictures/*.jpg)
set(TAVIK_FIRST_LIST ${CMAKE_SOURCE_DIR}/resources/HSTavik)

# The program folder, at its place in the standard layout and, on demand, as the prefix.
# The first high-score list goes in only where none is yet, so a reinstall never replaces
# a player's list; it stays out of install_manifest.txt, so uninstalling leaves it too.
foreach(layout standard portable)
    if(layout STREQUAL "standard")
        set(folder ${TAVIK_INSTALL_PROGRAMDIR})
        set(component_args COMPONENT game)
    else()
        set(folder .)
        set(component_args COMPONENT portable EXCLUDE_FROM_ALL)
    endif()
    install(TARGETS tavik RUNTIME DESTINATION ${folder} ${component_args})
    install(FILES ${tavik_standard_pictures} DESTINATION ${folder} ${component_args})
    set(TAVIK_LIST_FOLDER ${folder})
    configure_file(${CMAKE_SOURCE_DIR}/tools/install-first-list.cmake.in
                   ${CMAKE_BINARY_DIR}/install-first-list-${layout}.cmake @ONLY)
    install(SCRIPT ${CMAKE_BINARY_DIR}/install-first-list-${layout}.cmake ${component_args})
endforeach()

# The command's folder is chosen when installing, by the prefix given then: Debian keeps
# games in /usr/games and /usr/local/games, which its login PATH and desktop sessions hold,
# while a per-user prefix such as ~/.local has only bin/ on PATH. The same build thus
# makes the package and installs for one player.
if(TAVIK_INSTALL_COMMANDDIR)
    set(tavik_link_folder ${TAVIK_INSTALL_COMMANDDIR})
    install(CODE "set(tavik_commanddir \"${TAVIK_INSTALL_COMMANDDIR}\")" COMPONENT game)
else()
    set(tavik_link_folder games) # as deep as bin: the one link below holds in both
    install(CODE [[
        if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/*$")
            set(tavik_commanddir games)
        else()
            set(tavik_commanddir bin)
        endif()
        message(STATUS "The tavik command goes to ${CMAKE_INSTALL_PREFIX}/${tavik_commanddir}")
    ]] COMPONENT game)
endif()
# games/tavik -> ../lib/tavik/tavik, made relative so it holds under any DESTDIR.
file(RELATIVE_PATH tavik_command_target
     /prefix/${tavik_link_folder} /prefix/${TAVIK_INSTALL_PROGRAMDIR}/tavik)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-bin)
file(CREATE_LINK ${tavik_command_target} ${CMAKE_BINARY_DIR}/install-bin/tavik SYMBOLIC)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install-bin/tavik DESTINATION "\${tavik_commanddir}" COMPONENT game)

# The desktop entry starts the command by its name, which is what Debian and the
# AppStream tools expect; a per-user install needs ~/.local/bin on PATH (Debian's
# ~/.profile adds it when the folder exists at login), the package finds /usr/games there.
configure_file(${CMAKE_SOURCE_DIR}/resources/tavik.desktop.in
               ${CMAKE_BINARY_DIR}/install-share/tavik.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install-share/tavik.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
configure_file(${CMAKE_SOURCE_DIR}/resources/metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install-share/${TAVIK_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install-share/${TAVIK_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
foreach(side 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tavik-${side}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps
            RENAME tavik.png COMPONENT game)
endforeach()

# The manual pages (English, and German for German locales), the changelog and the
# copyright notice, compressed as Debian has them; made when building, so an edit of a
# page or the changelog reaches the next install.
set(tavik_docdir ${CMAKE_INSTALL_DATADIR}/doc/tavik)
set(tavik_compressed)
foreach(language_folder IN ITEMS . de)
    set(page_folder ${CMAKE_BINARY_DIR}/install-man/${language_folder})
    configure_file(${CMAKE_SOURCE_DIR}/resources/man/${language_folder}/tavik.6.in ${page_folder}/tavik.6 @ONLY)
    add_custom_command(OUTPUT ${page_folder}/tavik.6.gz
                       COMMAND gzip -9nc ${page_folder}/tavik.6 > ${page_folder}/tavik.6.gz
                       DEPENDS ${page_folder}/tavik.6 VERBATIM)
    list(APPEND tavik_compressed ${page_folder}/tavik.6.gz)
    cmake_path(APPEND CMAKE_INSTALL_MANDIR ${language_folder} man6 OUTPUT_VARIABLE page_destination)
    cmake_path(NORMAL_PATH page_destination)
    install(FILES ${page_folder}/tavik.6.gz DESTINATION ${page_destination} COMPONENT game)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/install-doc/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/install-doc
                   COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/resources/debian/changelog > ${CMAKE_BINARY_DIR}/install-doc/changelog.gz
                   DEPENDS ${CMAKE_SOURCE_DIR}/resources/debian/changelog VERBATIM)
add_custom_target(tavik_install_docs ALL DEPENDS ${tavik_compressed} ${CMAKE_BINARY_DIR}/install-doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/install-doc/changelog.gz ${CMAKE_SOURCE_DIR}/resources/debian/copyright
        DESTINATION ${tavik_docdir} COMPONENT game)

# `make package`: a Debian package of the standard layout under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavik)
set(CPACK_PACKAGE_VENDOR "Tavik")
set(CPACK_PACKAGE_CONTACT "Tavik <tavik@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pairs-matching card game (memory) with your own pictures")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_SOURCE_DIR}/resources/debian/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TAVIK_HOMEPAGE})
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
