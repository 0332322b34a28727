# Debian packages through CPack's DEB generator, one per install component:
#
#   libkorvex1     runtime      the shared library
#   libkorvex-dev  development  header, static library, CMake package, korvex.pc
#   korvex         tool         the tool, its man page and bash completion
#
# (The Python module, component python, goes through pip instead.) Configure
# with -DCMAKE_INSTALL_PREFIX=/usr, build, then `cpack -G DEB`:
# scripts/packages.sh does it with Debian's build flags. Dependencies on
# other packages come from the binaries (dpkg-shlibdeps); the version is the
# project's, and packaging/changelog must begin with it.
set(KORVEX_MAINTAINER "Korvex developers <korvex@example.org>")
set(KORVEX_RUNTIME_PACKAGE libkorvex${PROJECT_VERSION_MAJOR})

file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog KORVEX_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT KORVEX_CHANGELOG_TOP MATCHES "^korvex \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog begins with \"${KORVEX_CHANGELOG_TOP}\", not with version "
                  "${PROJECT_VERSION}: add its entry before making packages")
endif()

# Every package carries the copyright file and the changelog (compressed, as
# Debian wants it) in /usr/share/doc/PACKAGE. Component installs alone put
# them there: a plain `cmake --install` leaves them out.
# (configure_file makes a change of the changelog configure again.)
set(KORVEX_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
find_program(KORVEX_GZIP gzip)
if(KORVEX_GZIP)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/packaging/changelog COPYONLY)
  execute_process(COMMAND ${KORVEX_GZIP} -9 --no-name --force --keep ${PROJECT_BINARY_DIR}/packaging/changelog
                  COMMAND_ERROR_IS_FATAL ANY)
endif()

set(KORVEX_PACKAGES runtime ${KORVEX_RUNTIME_PACKAGE} development libkorvex-dev)
if(TARGET korvex_tool)
  list(APPEND KORVEX_PACKAGES tool korvex)
endif()
set(CPACK_COMPONENTS_ALL "")
while(KORVEX_PACKAGES)
  list(POP_FRONT KORVEX_PACKAGES component package)
  list(APPEND CPACK_COMPONENTS_ALL ${component})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
  if(KORVEX_GZIP)
    install(FILES ${KORVEX_CHANGELOG_GZ}
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
  endif()
endwhile()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KORVEX_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE korvex)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_ldconfig_trigger.cmake)

# Stripped as Debian strips (dh_strip) when the install strips (cpack here,
# or cmake --install --strip): the static library loses its debug sections
# as well, and no object keeps the .comment and .note sections.
function(korvex_strip_on_install component file)
  if(CMAKE_STRIP)
    list(JOIN ARGN " " options)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" ${options} --remove-section=.comment --remove-section=.note
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT ${component})
  endif()
endfunction()
korvex_strip_on_install(development "${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:korvex>"
                        --strip-debug --enable-deterministic-archives)
korvex_strip_on_install(runtime "${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:korvex_shared>")
if(TARGET korvex_tool)
  korvex_strip_on_install(tool "${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:korvex_tool>")
endif()

# Descriptions: the synopsis line, then the extended description (CPack
# indents its lines and turns the empty one into " .").
set(KORVEX_ABOUT
"Korvex decodes raw frames of LAPD (Q.921), LAPF (Q.922), ISDN call control
(Q.931), the X.25 packet layer, Ethernet and IPv4 with its TCP, UDP or ICMP
header into exact, human-readable trace text: a summary line and, on
request, a detail block of labelled fields and a hex trace.
")

set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "protocol-decoding library: raw frames into trace text
${KORVEX_ABOUT}
This package holds the shared library, which exports the C interface.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)

set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "protocol-decoding library: development files
${KORVEX_ABOUT}
This package holds the C header, the static library, the CMake package
(find_package(korvex)) and the pkg-config file.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)

set(CPACK_DEBIAN_TOOL_DESCRIPTION "decode protocol frames and captures into trace text
${KORVEX_ABOUT}
This package holds the korvex command-line tool: it decodes frames given
as hex, replays hex trace files, decodes pcap and pcapng captures (live
ones too, piped in) and converts between captures and hex trace files.")
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION net)

include(CPack)
