# make_h_add_font_header(<target> OUTPUT <header>
#   FONT <8x12.fnt> TABLE <koi.bin>
#   | IMPORT <font file> [GLYPH_ORDER <set>] [TABLE_SET <set>] [SIZE <px>] [TOP <rows>])
#
# Makes <header> at build time with make_h, from the two inputs of make_h or
# from a font that font_import turns into them (GLYPH_ORDER, TABLE_SET, SIZE
# and TOP are its --glyph-order, --table, --size and --top), and gives it to
# <target>: as a source, so it is made before the target compiles, and through
# its directory on the target's private include path, so that
# #include "font8x12.h" finds it. A relative <header> is under
# CMAKE_CURRENT_BINARY_DIR, relative inputs under CMAKE_CURRENT_SOURCE_DIR.
# make_h's trace of code 128 goes to <header>.trace. The tools run on the build
# machine, so a cross build uses them as they are.

function(make_h_add_font_header target)
  set(import_keywords GLYPH_ORDER TABLE_SET SIZE TOP)
  set(import_options --glyph-order --table --size --top)  # font_import's, in that order
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT;FONT;TABLE;IMPORT;${import_keywords}" "")
  _make_h_check_call("${target}" "${import_keywords}")

  get_filename_component(header "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  file(RELATIVE_PATH shown "${CMAKE_BINARY_DIR}" "${header}")
  # make_h reads fixed names in its working directory: each header gets its own.
  set(inputs "${header}.inputs")
  if(DEFINED arg_IMPORT)
    set(options_given)
    foreach(keyword option IN ZIP_LISTS import_keywords import_options)
      if(DEFINED arg_${keyword})
        list(APPEND options_given "${option}=${arg_${keyword}}")
      endif()
    endforeach()
    get_filename_component(font "${arg_IMPORT}" ABSOLUTE)
    _make_h_import_inputs("${header}" "${shown}" "${inputs}" "${font}" ${options_given})
  else()
    get_filename_component(font "${arg_FONT}" ABSOLUTE)
    get_filename_component(table "${arg_TABLE}" ABSOLUTE)
    _make_h_copy_inputs("${shown}" "${inputs}" "${font}" "${table}")
  endif()
  _make_h_run_make_h("${header}" "${shown}" "${inputs}")

  get_filename_component(header_dir "${header}" DIRECTORY)
  target_sources("${target}" PRIVATE "${header}")
  target_include_directories("${target}" PRIVATE "${header_dir}")
endfunction()

# Stops the configure run at a wrong call, naming the mistake; reads the arg_
# variables of make_h_add_font_header.
function(_make_h_check_call target import_keywords)
  set(call "make_h_add_font_header(${target})")
  if(arg_UNPARSED_ARGUMENTS)
    list(JOIN arg_UNPARSED_ARGUMENTS " " unknown)
    message(FATAL_ERROR "${call}: unknown arguments: ${unknown}")
  endif()
  if(arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "${call}: no value after ${arg_KEYWORDS_MISSING_VALUES}")
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "${call}: there is no target ${target}")
  endif()
  if(NOT DEFINED arg_OUTPUT)
    message(FATAL_ERROR "${call}: OUTPUT <header> is missing")
  endif()
  if(DEFINED arg_IMPORT)
    if(DEFINED arg_FONT OR DEFINED arg_TABLE)
      message(FATAL_ERROR "${call}: give IMPORT or FONT and TABLE, not both")
    endif()
    if(NOT TARGET make_h::font_import)
      message(FATAL_ERROR "${call}: IMPORT needs font_import, "
        "which this make_h was built without (it needs FreeType and zlib)")
    endif()
    return()
  endif()
  if(NOT DEFINED arg_FONT AND NOT DEFINED arg_TABLE)
    message(FATAL_ERROR "${call}: FONT <8x12.fnt> and TABLE <koi.bin>, or IMPORT <font file>, is missing")
  endif()
  if(NOT DEFINED arg_FONT OR NOT DEFINED arg_TABLE)
    message(FATAL_ERROR "${call}: FONT and TABLE go together")
  endif()
  foreach(keyword IN LISTS import_keywords)
    if(DEFINED arg_${keyword})
      message(FATAL_ERROR "${call}: ${keyword} goes with IMPORT, not with FONT and TABLE")
    endif()
  endforeach()
endfunction()

function(_make_h_copy_inputs shown inputs font table)
  add_custom_command(OUTPUT "${inputs}/8x12.fnt" "${inputs}/koi.bin"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${inputs}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${font}" "${inputs}/8x12.fnt"
    COMMAND "${CMAKE_COMMAND}" -E copy "${table}" "${inputs}/koi.bin"
    DEPENDS "${font}" "${table}"
    COMMENT "Copying the font and table of ${shown}"
    VERBATIM)
endfunction()

function(_make_h_import_inputs header shown inputs font)
  add_custom_command(OUTPUT "${inputs}/8x12.fnt" "${inputs}/koi.bin"
    # A failed import must not leave the header of the old font looking current.
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${header}" "${header}.trace"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${inputs}"
    COMMAND "$<TARGET_FILE:make_h::font_import>" -o "${inputs}" ${ARGN} "${font}"
    DEPENDS "${font}" make_h::font_import
    COMMENT "Importing ${font} for ${shown}"
    VERBATIM)
endfunction()

function(_make_h_run_make_h header shown inputs)
  set(script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/make_h_write_header.cmake")
  add_custom_command(OUTPUT "${header}" "${header}.trace"
    COMMAND "${CMAKE_COMMAND}" "-DMAKE_H=$<TARGET_FILE:make_h::make_h>"
      "-DINPUTS=${inputs}" "-DHEADER=${header}" -P "${script}"
    DEPENDS "${inputs}/8x12.fnt" "${inputs}/koi.bin" make_h::make_h "${script}"
    COMMENT "Generating ${shown} with make_h"
    VERBATIM)
endfunction()
