# Writes the C program of a manual page's EXAMPLE section (between .EX and
# .EE) to a file, with the page's escapes undone, so that the build compiles
# the very example the page shows.
#
#   cmake -DPAGE=man/lzs.3 -DOUTPUT=example.c -P extract_man_example.cmake
file(READ ${PAGE} page)
if(NOT page MATCHES "\n\\.EX\n(.*)\n\\.EE\n")
  message(FATAL_ERROR "${PAGE} has no .EX/.EE example")
endif()
set(code "${CMAKE_MATCH_1}")
string(REPLACE "\\-" "-" code "${code}")
string(REPLACE "\\e" "\\" code "${code}")
file(WRITE ${OUTPUT} "${code}\n")
