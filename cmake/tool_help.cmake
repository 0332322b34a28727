# Reads the korvex tool's own help (korvex --help, then korvex SUBCOMMAND
# --help for each subcommand it lists) and writes from it one of:
#
#   WHAT=man         the help2man include file: the NAME line and the COMMANDS
#                    section of the man page, each subcommand with its
#                    arguments and options
#   WHAT=completion  the bash completion: TEMPLATE with its @KORVEX_COMPLETION_TABLE@
#                    replaced by the subcommands, options, option values and
#                    positional arguments of every subcommand
#
# Both are written at build time, so that they follow the help as it changes.
#
#   cmake -DKORVEX=<tool> -DWHAT=man -DOUTPUT=<file> -P tool_help.cmake
#   cmake -DKORVEX=<tool> -DWHAT=completion -DTEMPLATE=<file> -DOUTPUT=<file> -P tool_help.cmake
#
# The help has the tool's layout: a description, a "Usage:" line, then
# headed blocks ("Positionals:", "Options:", "Subcommands:") of entries: two
# spaces, the entry's name (an argument or option with its value name and
# {choices}), two or more spaces and its description, or the description
# alone on the next, deeper indented line; then free text.
cmake_minimum_required(VERSION 3.20)
foreach(var KORVEX WHAT OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "tool_help.cmake: -D${var}=... is missing")
  endif()
endforeach()

# List-safe text: the help's own ';', '[' and ']' would split or join CMake
# list items, so they travel as markers and come back on output.
function(korvex_protect text out)
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(korvex_unprotect text out)
  string(REPLACE "<semicolon>" ";" text "${text}")
  string(REPLACE "<open>" "[" text "${text}")
  string(REPLACE "<close>" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# korvex_help(<prefix> [SUBCOMMAND]) runs the help and sets, protected:
#   <prefix>_DESCRIPTION  the text before the Usage line
#   <prefix>_USAGE        the Usage line without "Usage: "
#   <prefix>_ENTRIES      entry numbers; per entry <prefix>_<n>_BLOCK (the
#                         heading without ':'), _NAME and _TEXT
#   <prefix>_FOOTER       the text after the last entry
function(korvex_help prefix)
  execute_process(COMMAND ${KORVEX} ${ARGN} --help
                  OUTPUT_VARIABLE help ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "tool_help.cmake: ${KORVEX} ${ARGN} --help failed (${status}): ${error}")
  endif()
  korvex_protect("${help}" help)
  string(REPLACE "\n" ";" lines "${help}")
  set(description "")
  set(usage "")
  set(block "")
  set(entries "")
  set(footer "")
  set(count 0)
  set(open_entry "")
  foreach(line IN LISTS lines)
    if(usage STREQUAL "")
      if(line MATCHES "^Usage: (.*)$")
        set(usage "${CMAKE_MATCH_1}")
      elseif(NOT line STREQUAL "")
        string(APPEND description "${line}\n")
      endif()
    elseif(line MATCHES "^([A-Z][A-Za-z ]*):$")
      set(block "${CMAKE_MATCH_1}")
      set(open_entry "")
    elseif(NOT open_entry STREQUAL "" AND line MATCHES "^   +([^ ].*)$")
      # The description of the entry above, under its long name.
      string(APPEND ${prefix}_${open_entry}_TEXT "${CMAKE_MATCH_1}")
      set(open_entry "")
    elseif(NOT block STREQUAL "" AND line MATCHES "^  ([^ ].*)$")
      set(body "${CMAKE_MATCH_1}")
      math(EXPR count "${count} + 1")
      list(APPEND entries ${count})
      set(${prefix}_${count}_BLOCK "${block}" PARENT_SCOPE)
      if(body MATCHES "^(.*[^ ])   *([^ ].*)$")
        set(${prefix}_${count}_NAME "${CMAKE_MATCH_1}" PARENT_SCOPE)
        set(${prefix}_${count}_TEXT "${CMAKE_MATCH_2}")
        set(open_entry "")
      else()
        set(${prefix}_${count}_NAME "${body}" PARENT_SCOPE)
        set(${prefix}_${count}_TEXT "")
        set(open_entry ${count})
      endif()
    elseif(line STREQUAL "")
      set(open_entry "")
    else()
      # Free text after the blocks.
      set(block "")
      string(APPEND footer "${line}\n")
    endif()
  endforeach()
  foreach(n IN LISTS entries)
    set(${prefix}_${n}_TEXT "${${prefix}_${n}_TEXT}" PARENT_SCOPE)
  endforeach()
  string(STRIP "${description}" description)
  string(STRIP "${footer}" footer)
  set(${prefix}_DESCRIPTION "${description}" PARENT_SCOPE)
  set(${prefix}_USAGE "${usage}" PARENT_SCOPE)
  set(${prefix}_ENTRIES "${entries}" PARENT_SCOPE)
  set(${prefix}_FOOTER "${footer}" PARENT_SCOPE)
endfunction()

# korvex_entry(<name text> <out>): splits an entry's name such as
# "--color auto|always|never:{auto,always,never}", "-h,--help",
# "PROTOCOL TEXT:{lapd,lapf} REQUIRED" or "HEX TEXT ..." into
#   <out>_NAMES    the option names (a list: -h;--help) or the argument's name
#   <out>_VALUE    the value name ("" for a flag)
#   <out>_CHOICES  the allowed values, space-separated ("" when free)
#   <out>_REPEATS  1 when the argument takes several words
#   <out>_OPTION   1 for an option (its name begins with '-'), in whatever block
function(korvex_entry text out)
  set(choices "")
  if(text MATCHES "^(.*):{([^}]*)}(.*)$")
    set(text "${CMAKE_MATCH_1}${CMAKE_MATCH_3}")
    string(REPLACE "," " " choices "${CMAKE_MATCH_2}")
  endif()
  set(repeats 0)
  if(text MATCHES " \\.\\.\\.")
    set(repeats 1)
    string(REPLACE " ..." "" text "${text}")
  endif()
  string(REPLACE " REQUIRED" "" text "${text}")
  # (CMake's REGEX REPLACE takes '^' for the start of every match it tries.)
  string(REGEX MATCH "^[^ ]+" names "${text}")
  set(value "")
  if(text MATCHES "^[^ ]+ (.+)$")
    set(value "${CMAKE_MATCH_1}")
  endif()
  string(REPLACE "," ";" names "${names}")
  set(${out}_NAMES "${names}" PARENT_SCOPE)
  set(${out}_VALUE "${value}" PARENT_SCOPE)
  set(${out}_CHOICES "${choices}" PARENT_SCOPE)
  set(${out}_REPEATS ${repeats} PARENT_SCOPE)
  if(names MATCHES "^-")
    set(${out}_OPTION 1 PARENT_SCOPE)
  else()
    set(${out}_OPTION 0 PARENT_SCOPE)
  endif()
endfunction()

korvex_help(top)
set(subcommands "")
foreach(n IN LISTS top_ENTRIES)
  if(top_${n}_BLOCK STREQUAL "Subcommands")
    if(NOT top_${n}_NAME MATCHES "^[a-z][-a-z0-9_]*$")
      message(FATAL_ERROR "tool_help.cmake: not a subcommand name: ${top_${n}_NAME}")
    endif()
    list(APPEND subcommands "${top_${n}_NAME}")
  endif()
endforeach()
if(subcommands STREQUAL "")
  message(FATAL_ERROR "tool_help.cmake: ${KORVEX} --help lists no subcommands")
endif()
foreach(sub IN LISTS subcommands)
  korvex_help(sub_${sub} ${sub})
endforeach()

# Roff text: backslashes and minus signs escaped, no line taken for a request.
function(korvex_roff text out)
  korvex_unprotect("${text}" text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  foreach(mark "." "'")
    string(REPLACE "\n${mark}" "\n\\&${mark}" text "${text}")
    string(FIND "${text}" "${mark}" at)
    if(at EQUAL 0)
      string(PREPEND text "\\&")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(WHAT STREQUAL "man")
  # NAME: the tool's first help line, less its "Korvex: " and its full stop.
  string(REGEX REPLACE "\n.*" "" summary "${top_DESCRIPTION}")
  string(REGEX REPLACE "^[A-Za-z]+: " "" summary "${summary}")
  string(REGEX REPLACE "\\.$" "" summary "${summary}")
  korvex_roff("${summary}" summary)
  set(page "[NAME]\nkorvex \\- ${summary}\n[COMMANDS]\n")
  foreach(sub IN LISTS subcommands)
    korvex_roff("${sub_${sub}_USAGE}" usage)
    korvex_roff("${sub_${sub}_DESCRIPTION}" description)
    string(APPEND page ".SS \"${usage}\"\n${description}\n")
    foreach(n IN LISTS sub_${sub}_ENTRIES)
      korvex_entry("${sub_${sub}_${n}_NAME}" entry)
      if("--help" IN_LIST entry_NAMES)
        continue()  # every subcommand has it; OPTIONS above tells it once
      endif()
      list(JOIN entry_NAMES ", " names)
      korvex_roff("${names}" names)
      korvex_roff("${sub_${sub}_${n}_TEXT}" text)
      set(head "\\fB${names}\\fR")
      if(entry_OPTION AND NOT entry_VALUE STREQUAL "")
        korvex_roff("${entry_VALUE}" value)
        string(APPEND head " \\fI${value}\\fR")
      elseif(entry_REPEATS)
        string(APPEND head " ...")
      endif()
      if(NOT entry_CHOICES STREQUAL "")
        string(REPLACE " " ", " choices "${entry_CHOICES}")
        korvex_roff("${choices}" choices)
        string(APPEND text ": one of ${choices}")
      endif()
      string(APPEND page ".TP\n${head}\n${text}\n")
    endforeach()
    if(NOT sub_${sub}_FOOTER STREQUAL "")
      korvex_roff("${sub_${sub}_FOOTER}" footer)
      string(APPEND page ".PP\n${footer}\n")
    endif()
  endforeach()
  file(WRITE "${OUTPUT}" "${page}")
elseif(WHAT STREQUAL "completion")
  if(NOT DEFINED TEMPLATE)
    message(FATAL_ERROR "tool_help.cmake: -DTEMPLATE=... is missing")
  endif()
  # One case per subcommand (and '' for the top level) setting the
  # completion function's locals: options, subcommands, positions (words of
  # each positional argument: its choices, <file> for a file name, or
  # nothing), repeats (the last position takes several words) and values
  # (each option that takes a value: its choices, <file> or nothing).
  set(top_options "")
  foreach(n IN LISTS top_ENTRIES)
    korvex_entry("${top_${n}_NAME}" entry)
    if(entry_OPTION)
      list(APPEND top_options ${entry_NAMES})
    endif()
  endforeach()
  list(JOIN top_options " " top_options)
  list(JOIN subcommands " " words)
  set(table "    case $1 in\n    '')\n        options='${top_options}'\n        subcommands='${words}'\n        ;;\n")
  foreach(sub IN LISTS subcommands)
    set(options "")
    set(values "")
    set(positions "")
    set(repeats 0)
    foreach(n IN LISTS sub_${sub}_ENTRIES)
      korvex_entry("${sub_${sub}_${n}_NAME}" entry)
      korvex_unprotect("${sub_${sub}_${n}_TEXT}" text)
      list(JOIN entry_NAMES " " words)
      if("${words} ${entry_CHOICES}" MATCHES "[^-A-Za-z0-9_. ]")
        # They go into the table between single quotes, as words.
        message(FATAL_ERROR "tool_help.cmake: not plain words: ${words} ${entry_CHOICES}")
      endif()
      # File names for an option whose value is named a file, and for an
      # argument that is described as one.
      set(words "${entry_CHOICES}")
      if(words STREQUAL "" AND entry_OPTION AND entry_VALUE MATCHES "FILE|PATH")
        set(words "<file>")
      elseif(words STREQUAL "" AND sub_${sub}_${n}_BLOCK STREQUAL "Positionals" AND text MATCHES "(^|[^a-z])file")
        set(words "<file>")
      endif()
      if(entry_OPTION)
        list(APPEND options ${entry_NAMES})
        if(NOT entry_VALUE STREQUAL "")
          foreach(name IN LISTS entry_NAMES)
            string(APPEND values " [${name}]='${words}'")
          endforeach()
        endif()
      elseif(sub_${sub}_${n}_BLOCK STREQUAL "Positionals")
        string(APPEND positions " '${words}'")
        set(repeats ${entry_REPEATS})
      endif()
    endforeach()
    list(JOIN options " " options)
    string(APPEND table "    ${sub})\n        options='${options}'\n"
                        "        positions=(${positions} )\n        repeats=${repeats}\n"
                        "        values=(${values} )\n        ;;\n")
  endforeach()
  string(APPEND table "    esac")
  korvex_unprotect("${table}" KORVEX_COMPLETION_TABLE)
  configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
else()
  message(FATAL_ERROR "tool_help.cmake: WHAT must be man or completion, not '${WHAT}'")
endif()
