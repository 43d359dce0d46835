# Install rules and the Debian packages (CPack DEB, `make package`):
#   zelkor        the program, its crash notice, the launcher /usr/bin/zelkor,
#                 the menu and autostart entries, the icon
#   zelkor-tools  the virtual printer, zelkor-print, nubeq-send and the
#                 stand-in agent (NUBEQ, NUBEQ_LOG, libNUBEQ_IF.so), for
#                 technicians who try a printer without the ordering service
# Private binaries live in /usr/lib/zelkor, where the launcher finds them;
# the launcher links what the program starts from its folder into the
# user's program folder. Included once every target is defined.

set(ZELKOR_PRIVATE_DIR lib/zelkor)
# The stand-in agent in a folder of its own: a library right under
# /usr/lib/<name>/ would get ldconfig calls, though it is private.
set(ZELKOR_AGENT_DIR lib/zelkor/agent)
set(ZELKOR_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(ZELKOR_DEB_VERSION ${PROJECT_VERSION})
set(ZELKOR_DEB_MAINTAINER "Zelkor developers <zelkor@example.com>")

# cpack builds only what it installs (zelkor-package-files), not the tests
# and benchmarks of a full build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(ZELKOR_PROGRAM_TARGETS Zelkor zelkor-crash-notice)
set(ZELKOR_AGENT_TARGETS NUBEQ NUBEQ_LOG NUBEQ_IF)
set(ZELKOR_TOOLS_PRIVATE_TARGETS zelkor-print nubeq-send)
set(ZELKOR_TOOLS_PUBLIC_TARGETS zelkor-vprinter)
add_custom_target(zelkor-package-files)
add_dependencies(zelkor-package-files ${ZELKOR_PROGRAM_TARGETS} ${ZELKOR_AGENT_TARGETS}
                 ${ZELKOR_TOOLS_PRIVATE_TARGETS}
                 ${ZELKOR_TOOLS_PUBLIC_TARGETS})

# --- zelkor -------------------------------------------------------------
install(TARGETS ${ZELKOR_PROGRAM_TARGETS} RUNTIME DESTINATION ${ZELKOR_PRIVATE_DIR}
        COMPONENT program)
install(PROGRAMS ${ZELKOR_PACKAGING_DIR}/zelkor DESTINATION bin COMPONENT program)
install(FILES ${ZELKOR_PACKAGING_DIR}/zelkor.desktop DESTINATION share/applications
        COMPONENT program)
# /etc is outside the packaging prefix (/usr): an absolute destination.
install(FILES ${ZELKOR_PACKAGING_DIR}/zelkor-autostart.desktop DESTINATION /etc/xdg/autostart
        RENAME zelkor.desktop COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/res/png/128.png DESTINATION share/icons/hicolor/256x256/apps
        RENAME zelkor.png COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/docs/agent-endpoint.md DESTINATION share/doc/zelkor
        COMPONENT program)

# --- zelkor-tools -------------------------------------------------------
install(TARGETS ${ZELKOR_AGENT_TARGETS} RUNTIME DESTINATION ${ZELKOR_AGENT_DIR} COMPONENT tools
        LIBRARY DESTINATION ${ZELKOR_AGENT_DIR} COMPONENT tools)
install(TARGETS ${ZELKOR_TOOLS_PRIVATE_TARGETS} RUNTIME DESTINATION ${ZELKOR_PRIVATE_DIR}
        COMPONENT tools)
install(TARGETS ${ZELKOR_TOOLS_PUBLIC_TARGETS} RUNTIME DESTINATION bin COMPONENT tools)
# zelkor-print and nubeq-send run through the launcher, in the program folder.
foreach(tool zelkor-print nubeq-send)
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
                file(CREATE_LINK zelkor \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${tool}\" SYMBOLIC)"
          COMPONENT tools)
endforeach()

# --- both: copyright, changelog, manual pages (compressed as Debian wants,
# gzip -9n: no name or time stamp inside) ---------------------------------
set(doc_build_dir ${PROJECT_BINARY_DIR}/packaging)
configure_file(${ZELKOR_PACKAGING_DIR}/changelog.in ${doc_build_dir}/changelog @ONLY)
function(zelkor_gzip_file source output)
  add_custom_command(OUTPUT ${output} COMMAND gzip -9nc ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
endfunction()
set(compressed ${doc_build_dir}/changelog.gz)
zelkor_gzip_file(${doc_build_dir}/changelog ${doc_build_dir}/changelog.gz)
foreach(page zelkor zelkor-print nubeq-send zelkor-vprinter)
  zelkor_gzip_file(${ZELKOR_PACKAGING_DIR}/man/${page}.1 ${doc_build_dir}/${page}.1.gz)
  list(APPEND compressed ${doc_build_dir}/${page}.1.gz)
endforeach()
add_custom_target(zelkor-package-docs DEPENDS ${compressed})
add_dependencies(zelkor-package-files zelkor-package-docs)

foreach(component program tools)
  set(package zelkor)
  if(component STREQUAL "tools")
    set(package zelkor-tools)
  endif()
  install(FILES ${ZELKOR_PACKAGING_DIR}/copyright ${doc_build_dir}/changelog.gz
          DESTINATION share/doc/${package} COMPONENT ${component})
endforeach()
install(FILES ${doc_build_dir}/zelkor.1.gz DESTINATION share/man/man1 COMPONENT program)
install(FILES ${doc_build_dir}/zelkor-print.1.gz ${doc_build_dir}/nubeq-send.1.gz
              ${doc_build_dir}/zelkor-vprinter.1.gz DESTINATION share/man/man1 COMPONENT tools)

# --- CPack DEB ------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelkor)
set(CPACK_PACKAGE_VERSION ${ZELKOR_DEB_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZELKOR_DEB_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL program tools)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME zelkor)
# The user interface draws Hangul in NanumGothic; the tray icon shows on
# Debian's GNOME only with the AppIndicator extension.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "fonts-nanum")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "gnome-shell-extension-appindicator")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SUGGESTS "zelkor-tools")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_CONTROL_EXTRA ${ZELKOR_PACKAGING_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_PROGRAM_DESCRIPTION
    "store-side companion of a mobile ordering service
Zelkor takes order events from the ordering service's local agent and
prints kitchen order sheets, customer receipts, delivery receipts and
sales reports on up to two receipt printers (serial or parallel port,
network socket, CUPS; ESC/POS, Korean text in code page 949). It retries
failed printers, reports failures, supervises the agent and lives in the
tray; it starts with the desktop session.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME zelkor-tools)
# zelkor-print and nubeq-send run through the launcher of zelkor; the
# virtual printer draws Hangul receipts.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "zelkor (= ${ZELKOR_DEB_VERSION}), fonts-nanum")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "printer trials for Zelkor without the ordering service
A virtual receipt printer (zelkor-vprinter: TCP port or pseudo-terminal,
text and PNG pictures of each receipt), zelkor-print (one order through
the program's print workers) and a stand-in for the ordering service's
agent: the NUBEQ process, its interface library libNUBEQ_IF.so, NUBEQ_LOG
and nubeq-send, which hands the running program an order as the agent
does.")

include(CPack)
