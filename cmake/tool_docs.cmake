# The man page korvex(1) and the bash completion of the tool, both written
# at build time from the tool's own help (cmake/tool_help.cmake reads it), so
# that they never say other than the tool; installed with the tool. The man
# page needs help2man (Debian: help2man): without it the build goes on
# without the page. help2man dates the page by SOURCE_DATE_EPOCH when it is
# set, else by the day of the build.
set(KORVEX_TOOL_HELP ${CMAKE_CURRENT_LIST_DIR}/tool_help.cmake)
set(KORVEX_DOCS_DIR ${PROJECT_BINARY_DIR}/tool-docs)

set(KORVEX_COMPLETION ${KORVEX_DOCS_DIR}/korvex)
set(KORVEX_COMPLETION_TEMPLATE ${PROJECT_SOURCE_DIR}/packaging/korvex.bash.in)
add_custom_command(OUTPUT ${KORVEX_COMPLETION}
  COMMAND ${CMAKE_COMMAND} -DKORVEX=$<TARGET_FILE:korvex_tool> -DWHAT=completion
          -DTEMPLATE=${KORVEX_COMPLETION_TEMPLATE} -DOUTPUT=${KORVEX_COMPLETION} -P ${KORVEX_TOOL_HELP}
  DEPENDS korvex_tool ${KORVEX_TOOL_HELP} ${KORVEX_COMPLETION_TEMPLATE}
  COMMENT "Writing the bash completion of korvex from its help"
  VERBATIM)
add_custom_target(korvex_completion ALL DEPENDS ${KORVEX_COMPLETION})
# Where bash-completion looks for a command's completion (it loads it on the
# first Tab after the command's name).
install(FILES ${KORVEX_COMPLETION}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT tool)

find_program(KORVEX_HELP2MAN help2man)
find_program(KORVEX_GZIP gzip)
if(KORVEX_HELP2MAN AND KORVEX_GZIP)
  set(KORVEX_MAN_PAGE ${KORVEX_DOCS_DIR}/korvex.1)
  add_custom_command(OUTPUT ${KORVEX_MAN_PAGE} ${KORVEX_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -DKORVEX=$<TARGET_FILE:korvex_tool> -DWHAT=man
            -DOUTPUT=${KORVEX_DOCS_DIR}/korvex.h2m -P ${KORVEX_TOOL_HELP}
    COMMAND ${KORVEX_HELP2MAN} --no-info --section=1
            --include=${KORVEX_DOCS_DIR}/korvex.h2m --output=${KORVEX_MAN_PAGE} $<TARGET_FILE:korvex_tool>
    COMMAND ${KORVEX_GZIP} -9 --no-name --keep --force ${KORVEX_MAN_PAGE}
    DEPENDS korvex_tool ${KORVEX_TOOL_HELP}
    COMMENT "Writing the man page korvex(1) from the tool's help"
    VERBATIM)
  add_custom_target(korvex_man_page ALL DEPENDS ${KORVEX_MAN_PAGE}.gz)
  install(FILES ${KORVEX_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
else()
  message(STATUS "help2man or gzip not found: no man page (Debian: help2man)")
endif()
