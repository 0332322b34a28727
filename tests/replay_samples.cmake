# Replays the bundled samples through the tool with and without detail and
# checks that every frame of each file comes out.
foreach(run "lapd;lapd.txt;50" "lapf;q922.txt;25" "q931;q931.txt;54" "x25;x25.txt;30" "eth;eth.txt;17" "ip;ip.txt;29")
  list(GET run 0 protocol)
  list(GET run 1 file)
  list(GET run 2 frames)
  foreach(options "" "--detail;--hex")
    execute_process(COMMAND ${KORVEX} replay ${protocol} ${SAMPLES}/${file} ${options} --color=never
                    RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "korvex replay ${protocol} ${file} ${options}: exit ${status}: ${errors}")
    endif()
    string(REGEX MATCHALL "(^|\n)[0-9][0-9]:[0-9][0-9]\\.[0-9][0-9][0-9] " stamps "${text}")
    list(LENGTH stamps count)
    if(NOT count EQUAL frames)
      message(FATAL_ERROR "korvex replay ${protocol} ${file} ${options}: ${count} frames, expected ${frames}")
    endif()
  endforeach()
endforeach()
