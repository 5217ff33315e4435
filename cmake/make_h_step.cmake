# cmake "-DCOMMAND=<program>;<argument>..." [-DDIRECTORY=<dir>]
#       [-DSTANDARD_OUTPUT=<file>] [-DSTANDARD_ERROR=<file>]
#       "-DRESULTS=<file>..." ["-DWRITTEN=<file>..."] ["-DSTALE=<file>..."]
#       [-DSHOW=<file>] -DSTAMP=<stamp> -P make_h_step.cmake
#
# One step of make_h_add_font_header(): runs COMMAND (in DIRECTORY), which
# writes each file of RESULTS as <file>.new, or as the file of WRITTEN in
# its place where given, standard output and standard error going to
# STANDARD_OUTPUT and STANDARD_ERROR when given. Once it has succeeded, each
# new file takes the place of its result only where their bytes differ, so
# that what depends on an unchanged file is not made again, SHOW (a result)
# is printed, and STAMP is touched: the build follows the step by it. A
# failed step leaves no result, no stamp and nothing of STALE (what was
# made from the step's results before), so that nothing old looks current
# and the next build tries again.

set(run COMMAND ${COMMAND} RESULT_VARIABLE status)
if(DEFINED DIRECTORY)
  list(APPEND run WORKING_DIRECTORY "${DIRECTORY}")
endif()
if(DEFINED STANDARD_OUTPUT)
  list(APPEND run OUTPUT_FILE "${STANDARD_OUTPUT}")
endif()
if(DEFINED STANDARD_ERROR)
  list(APPEND run ERROR_FILE "${STANDARD_ERROR}")
endif()
if(NOT DEFINED WRITTEN)
  list(TRANSFORM RESULTS APPEND ".new" OUTPUT_VARIABLE WRITTEN)
endif()
execute_process(${run})

if(NOT status EQUAL 0)
  if(DEFINED STANDARD_ERROR AND EXISTS "${STANDARD_ERROR}")
    # The tool's own message, which went to the file.
    file(READ "${STANDARD_ERROR}" message)
    string(STRIP "${message}" message)
    message(NOTICE "${message}")
  endif()
  file(REMOVE ${RESULTS} ${WRITTEN} ${STALE} "${STAMP}")
  list(GET COMMAND 0 program)
  get_filename_component(program "${program}" NAME)
  message(FATAL_ERROR "${program} failed (${status})")
endif()

foreach(result written IN ZIP_LISTS RESULTS WRITTEN)
  set(same FALSE)
  if(EXISTS "${result}")
    file(SHA256 "${written}" new_sum)
    file(SHA256 "${result}" old_sum)
    string(COMPARE EQUAL "${new_sum}" "${old_sum}" same)
  endif()
  if(same)
    file(REMOVE "${written}")
  else()
    file(RENAME "${written}" "${result}")
  endif()
endforeach()
if(DEFINED SHOW)
  file(READ "${SHOW}" shown)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo_append "${shown}")
endif()
file(TOUCH "${STAMP}")
