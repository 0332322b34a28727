# Run by cpack after it has made the Debian packages (CPACK_POST_BUILD_SCRIPTS).
# CPack's DEB generator gives a package with a shared library postinst and
# postrm scripts that only call ldconfig; Debian wants the ldconfig trigger
# instead (lintian: lacks-ldconfig-trigger, maintscript-calls-ldconfig). So
# each such package is unpacked, those two scripts replaced by a triggers
# file, and packed again with dpkg-deb, owned by root as before.
find_program(KORVEX_DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${KORVEX_DPKG_DEB} --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  set(ldconfig_only TRUE)
  set(found FALSE)
  foreach(script postinst postrm)
    if(EXISTS "${tree}/DEBIAN/${script}")
      set(found TRUE)
      file(READ "${tree}/DEBIAN/${script}" text)
      # Everything but the shell line, set -e, the if around it and ldconfig.
      string(REGEX REPLACE "#![^\n]*|set -e|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then|ldconfig|fi|[ \t\n]" "" rest "${text}")
      if(NOT rest STREQUAL "")
        set(ldconfig_only FALSE)
      endif()
    endif()
  endforeach()
  if(found AND ldconfig_only)
    file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
    file(WRITE "${tree}/DEBIAN/triggers" "activate-noawait ldconfig\n")
    file(CHMOD "${tree}/DEBIAN/triggers" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    execute_process(COMMAND ${KORVEX_DPKG_DEB} --root-owner-group --build "${tree}" "${deb}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  elseif(found)
    message(FATAL_ERROR "${deb}: its maintainer scripts do more than call ldconfig; not changed")
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
