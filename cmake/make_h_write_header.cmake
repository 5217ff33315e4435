# cmake -DMAKE_H=<make_h> -DINPUTS=<dir> -DHEADER=<header> -P make_h_write_header.cmake
#
# Runs make_h in INPUTS, the directory of its 8x12.fnt and koi.bin, and puts
# the header at HEADER and the trace of code 128 at HEADER.trace. The header is
# written beside and renamed into place once make_h has succeeded, so a failed
# run leaves none that the next build could take for current.

set(partial "${HEADER}.partial")
file(REMOVE "${HEADER}" "${HEADER}.trace")
execute_process(COMMAND "${MAKE_H}"
  WORKING_DIRECTORY "${INPUTS}"
  OUTPUT_FILE "${partial}"
  ERROR_VARIABLE standard_error
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${partial}")
  # On a bad input, standard error holds make_h's own message and no trace.
  string(STRIP "${standard_error}" reason)
  message(NOTICE "${reason}")
  message(FATAL_ERROR "make_h failed (${status}): no ${HEADER}")
endif()
file(WRITE "${HEADER}.trace" "${standard_error}")
file(RENAME "${partial}" "${HEADER}")
