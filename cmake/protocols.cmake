# The names of the protocols of the library's protocol table, read from the
# `{.name = "...",` that starts each row of decoders/protocols.cpp, for the
# build steps that make one target per protocol (the fuzz harnesses). The
# test ProtocolTable.TheBuildReadsTheTable checks the list against the
# library's.
function(korvex_protocol_names out)
  set(table ${PROJECT_SOURCE_DIR}/decoders/protocols.cpp)
  file(STRINGS ${table} rows REGEX "^ *{\\.name = \"[a-z0-9]+\",")
  set(names)
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "^ *{\\.name = \"([a-z0-9]+)\",.*$" "\\1" name "${row}")
    list(APPEND names ${name})
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "No protocol rows found in ${table}")
  endif()
  # Configure again when the table changes.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  set(${out} ${names} PARENT_SCOPE)
endfunction()
