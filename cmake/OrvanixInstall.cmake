# What `cmake --install` puts where. Included at the end of the top-level CMakeLists.txt,
# after every folder has made its targets, so the rules take what this build has: a
# program or data file that another part of the tree does not build is left out, not an error.
#
#   bin/                                tessiva, tessiva-client
#   libexec/orvanix/                    tessiva-window (tessiva runs it to open the window)
#   share/orvanix/                      demo/, noise/, docs/ (user guide), README.md, python/
#   share/applications, share/metainfo, share/mime/packages, share/icons/hicolor
#   share/man/man1, share/bash-completion/completions, share/zsh/vendor-completions
#   share/doc/orvanix/copyright
# The program finds share/orvanix relative to its own folder (app/core/DataFiles.h).
include(GNUInstallDirs)

set(ORVANIX_APP_ID org.orvanix.Orvanix)
set(ORVANIX_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/orvanix)

# Who publishes the program, where, and under which licence: the metainfo, the package's
# control fields and its copyright file take them from here. The defaults stand in until
# the project has an address of its own (the reserved .example domain) and has chosen a
# licence (until then: all rights reserved); a release sets them on the cmake line.
set(ORVANIX_HOMEPAGE "https://orvanix.example" CACHE STRING "The program's web address")
set(ORVANIX_MAINTAINER "Orvanix maintainers <maintainers@orvanix.example>"
    CACHE STRING "The package maintainer, \"Name <address>\"")
set(ORVANIX_LICENSE "LicenseRef-proprietary" CACHE STRING "The program's licence, an SPDX expression")
# The guide's pictures as published beside the program's page.
set(ORVANIX_SCREENSHOT_URL "${ORVANIX_HOMEPAGE}/docs/images")
if(ORVANIX_LICENSE STREQUAL "LicenseRef-proprietary")
  set(ORVANIX_LICENSE_TEXT
      " All rights reserved: no licence to copy, change or pass on this software has\n been granted.")
else()
  set(ORVANIX_LICENSE_TEXT
      " The licence's text comes with the sources; on Debian systems the texts of the\n common licences are in /usr/share/common-licenses.")
endif()
string(REPLACE "\\n" "\n" ORVANIX_LICENSE_TEXT "${ORVANIX_LICENSE_TEXT}")

# ---- Programs: every target in this list that exists.
set(ORVANIX_INSTALLED_PROGRAMS tessiva tessiva-client)
foreach(program ${ORVANIX_INSTALLED_PROGRAMS})
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET tessiva-window)
  install(TARGETS tessiva-window RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orvanix)
endif()

# ---- Data the program reads.
if(TARGET orvanix_demo_wave)
  install(FILES ${PROJECT_BINARY_DIR}/demo/orvanix-demo.wav
          DESTINATION ${ORVANIX_DATA_DESTINATION}/demo)
endif()
if(TARGET orvanix_generator)
  # Compiled into the program too; installed so users can play or analyse them directly.
  install(FILES ${PROJECT_BINARY_DIR}/generator/noise/white.wav
                ${PROJECT_BINARY_DIR}/generator/noise/pink.wav
          DESTINATION ${ORVANIX_DATA_DESTINATION}/noise)
endif()
# The guide keeps its folder layout, so its links (../images/...) and the README's
# (docs/guide/...) hold where it is installed.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${ORVANIX_DATA_DESTINATION}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "*.svg")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${ORVANIX_DATA_DESTINATION})
if(EXISTS ${PROJECT_SOURCE_DIR}/python/orvanix_client.py)
  install(FILES ${PROJECT_SOURCE_DIR}/python/orvanix_client.py
          DESTINATION ${ORVANIX_DATA_DESTINATION}/python)
  # Under /usr (the Debian package) also where Debian's python3 imports from.
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      file(INSTALL \"${PROJECT_SOURCE_DIR}/python/orvanix_client.py\"
           DESTINATION \"\$ENV{DESTDIR}/usr/lib/python3/dist-packages\")
    endif()")
endif()

# ---- Desktop integration.
set(DIST ${PROJECT_SOURCE_DIR}/dist)
install(FILES ${DIST}/${ORVANIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The release named in the metainfo is this build's version; its date the build's (or
# SOURCE_DATE_EPOCH's, for a reproducible package).
string(TIMESTAMP ORVANIX_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${DIST}/${ORVANIX_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/dist/${ORVANIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dist/${ORVANIX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
configure_file(${DIST}/copyright.in ${PROJECT_BINARY_DIR}/dist/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dist/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvanix)
install(FILES ${DIST}/${ORVANIX_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${ORVANIX_APP_ID}.xml)
install(FILES ${DIST}/completion/tessiva.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tessiva)
install(FILES ${DIST}/completion/_tessiva DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)

if(TARGET orvanix-make-icons)
  set(ICONS ${PROJECT_BINARY_DIR}/icons)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${ICONS}/${size}x${size}/${ORVANIX_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${ICONS}/scalable/${ORVANIX_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# ---- Manual pages: the options section comes from the program's own --help, so it
# lists what this build has.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  set(MAN_PAGES)
  foreach(program tessiva tessiva-client)
    if(TARGET ${program} AND EXISTS ${DIST}/man/${program}.1.in)
      set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_manpage.py
                $<TARGET_FILE:${program}> ${DIST}/man/${program}.1.in ${PROJECT_VERSION} ${page}
        DEPENDS ${program} ${DIST}/man/${program}.1.in ${PROJECT_SOURCE_DIR}/tools/make_manpage.py
        VERBATIM)
      list(APPEND MAN_PAGES ${page})
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endforeach()
  add_custom_target(orvanix_man_pages ALL DEPENDS ${MAN_PAGES})
else()
  message(STATUS "python3 not found: the manual pages are not made")
endif()
