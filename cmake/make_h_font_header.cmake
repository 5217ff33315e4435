# make_h_add_font_header(<target> OUTPUT <header>
#   FONT <8x12.fnt> TABLE <koi.bin> [TABLE_SET <set>]
#   | IMPORT <font file> [GLYPH_ORDER <set>] [TABLE_SET <set>] [SIZE <px>] [TOP <rows>]
#     [FONT_ENCODING <set>] [CROP] [GLYPHS <yaff>] [KEEP_CODES <code>...]
#   [TEXT <source>... [SCREEN <WxH>] [FALLBACK]
#     [CATALOG <po> | CATALOGS <po>... [SOURCE_LANGUAGE <code>]] [LANGUAGE_BUDGET <bytes>]
#     [ADD_TEXT_CHARACTERS]])
#
# Makes <header> at build time with make_h, from the two inputs of make_h or
# from a font (a yaff too) that font_import turns into them (GLYPH_ORDER,
# TABLE_SET, SIZE, TOP, FONT_ENCODING, CROP, GLYPHS and KEEP_CODES are its
# --glyph-order, --table, --size, --top, --font-encoding, --crop, --glyphs:
# a yaff of pictures of one's own, a dependency like the font, and
# --keep-codes: codes no character of one's own is given), and gives it to
# <target>: as a source, so it is made before the target compiles, and through
# its directory on the target's private include path, so that
# #include "font8x12.h" finds it; #include "font8x12_draw.h", the routine
# that draws text in its font, is found too. A relative <header> is under
# CMAKE_CURRENT_BINARY_DIR, relative inputs under CMAKE_CURRENT_SOURCE_DIR.
# make_h's trace of code 128 goes to <header>.trace. The tools run on the build
# machine, so a cross build uses them as they are.
#
# The TEXT sources are encoded by font_text, in one run, for the font's codes
# in the table set and checked against the header's font; each encoded copy
# is compiled into <target> in its source's place. The table set is the one font_import records
# beside the pair in koi.sets: with IMPORT, TABLE_SET's; with FONT and TABLE,
# that of the koi.sets beside a TABLE named koi.bin, which a TABLE_SET given
# must agree with; else TABLE_SET, KOI8-R by default. Headers with UI text go
# under TEXT too: an encoded source finds the copies of the headers beside it
# first. A source that CMake compiles as C or C++ is read as one whatever its
# extension. SCREEN and FALLBACK are font_text's --screen and --fallback:
# every string must fit a display of WxH pixels (unless a fit: note says
# otherwise), and a character without a code is written as iconv spells it.
# CATALOG is font_text's --catalog: the messages of the TEXT sources, _("...")
# and N_("..."), are compiled in the language of that gettext catalog, and
# editing it encodes them again; one language a target.
# CATALOGS is font_text's --languages with a --catalog for each: one program
# of every language, the sources' (SOURCE_LANGUAGE, en by default) and each
# catalog's, switched at run time by the functions ui_languages.h declares.
# Both forms write ui_languages.h beside <header>, which #include
# "ui_languages.h" finds, and compile the tables it declares into <target>
# (with CATALOG, those of the messages with plural forms, for ui_ntext). What
# each language adds to the program's read-only data goes to
# <header>.languages, which the build prints; LANGUAGE_BUDGET is
# font_text's --language-budget: a language that adds more bytes fails the
# build before anything is compiled. With IMPORT, ADD_TEXT_CHARACTERS passes
# each TEXT source (and the catalogs) to font_import as --text: every
# character the text uses, in every language, that the table set lacks gets
# a free code, the same in every language, and a new one remakes the pair,
# the header and the encoded sources.
#
# Each step leaves the files it makes as they were when they come out the
# same, and the build follows it by a stamp beside them: an edit that changes
# no code of the font rebuilds nothing that includes the header.
# Every input must exist when CMake runs.
function(make_h_add_font_header target)
  set(import_keywords GLYPH_ORDER TABLE_SET SIZE TOP FONT_ENCODING)
  set(import_options --glyph-order --table --size --top --font-encoding)  # font_import's, in that order
  # CATALOG takes values as CATALOGS does, so that one given twice is seen.
  cmake_parse_arguments(PARSE_ARGV 1 arg "CROP;FALLBACK;ADD_TEXT_CHARACTERS"
    "OUTPUT;FONT;TABLE;IMPORT;GLYPHS;SCREEN;SOURCE_LANGUAGE;LANGUAGE_BUDGET;${import_keywords}"
    "TEXT;KEEP_CODES;CATALOG;CATALOGS")
  _make_h_check_call("${target}" "${import_keywords}")
  foreach(keyword IN ITEMS FONT TABLE IMPORT GLYPHS TEXT CATALOG CATALOGS)
    foreach(path IN LISTS arg_${keyword})
      _make_h_check_exists("make_h_add_font_header(${target})" ${keyword} "${path}")
    endforeach()
  endforeach()

  # The script of each step below: what a step writes takes the place of the
  # old only where it differs, and the build follows the step by its stamp.
  set(step_script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/make_h_step.cmake")
  get_filename_component(header "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  file(RELATIVE_PATH shown "${CMAKE_BINARY_DIR}" "${header}")
  # make_h reads fixed names in its working directory: each header gets its own.
  set(inputs "${header}.inputs")
  set(pair_stamp "${inputs}/pair.stamp")
  set(catalogs)
  foreach(catalog IN LISTS arg_CATALOG arg_CATALOGS)
    get_filename_component(catalog "${catalog}" ABSOLUTE)
    list(APPEND catalogs "${catalog}")
  endforeach()
  if(DEFINED arg_IMPORT)
    set(options_given)
    foreach(keyword option IN ZIP_LISTS import_keywords import_options)
      if(DEFINED arg_${keyword})
        list(APPEND options_given "${option}=${arg_${keyword}}")
      endif()
    endforeach()
    if(arg_CROP)
      list(APPEND options_given --crop)
    endif()
    if(DEFINED arg_KEEP_CODES)
      list(JOIN arg_KEEP_CODES "," codes)
      list(APPEND options_given "--keep-codes=${codes}")
    endif()
    set(read)  # what font_import reads besides the font
    if(DEFINED arg_GLYPHS)
      get_filename_component(glyphs "${arg_GLYPHS}" ABSOLUTE)
      list(APPEND options_given "--glyphs=${glyphs}")
      list(APPEND read "${glyphs}")
    endif()
    if(arg_ADD_TEXT_CHARACTERS)
      foreach(source IN LISTS arg_TEXT)
        get_filename_component(text "${source}" ABSOLUTE)
        list(APPEND options_given "--text=${text}")
        list(APPEND read "${text}")
      endforeach()
      foreach(catalog IN LISTS catalogs)
        list(APPEND options_given "--catalog=${catalog}")
        list(APPEND read "${catalog}")
      endforeach()
      if(DEFINED arg_CATALOGS)
        list(APPEND options_given --languages)  # the sources' language is one of the program's
      endif()
    endif()
    get_filename_component(font "${arg_IMPORT}" ABSOLUTE)
    _make_h_import_inputs("${header}" "${shown}" "${inputs}" "${pair_stamp}" "${font}" "${options_given}" "${read}")
  else()
    get_filename_component(font "${arg_FONT}" ABSOLUTE)
    get_filename_component(table "${arg_TABLE}" ABSOLUTE)
    # The record of the pair's sets goes with the table it was made with.
    get_filename_component(table_dir "${table}" DIRECTORY)
    get_filename_component(table_name "${table}" NAME)
    set(record)
    if(table_name STREQUAL "koi.bin" AND EXISTS "${table_dir}/koi.sets")
      set(record "${inputs}/koi.sets")
    else()
      file(REMOVE_RECURSE "${inputs}/koi.sets")  # copied while there was one
    endif()
    _make_h_copy_inputs("${shown}" "${inputs}" "${pair_stamp}" "${font}" "${table}" "${record}" "${step_script}")
  endif()
  _make_h_run_make_h("${header}" "${shown}" "${inputs}" "${pair_stamp}")

  get_filename_component(header_dir "${header}" DIRECTORY)
  target_sources("${target}" PRIVATE "${header}" "${header}.stamp")
  target_include_directories("${target}" PRIVATE "${header_dir}"
    "$<TARGET_PROPERTY:make_h::font8x12_draw,INTERFACE_INCLUDE_DIRECTORIES>")

  # With IMPORT, TABLE_SET went to font_import, which recorded it.
  set(table_set)
  if(DEFINED arg_TABLE_SET AND NOT DEFINED arg_IMPORT)
    set(table_set "${arg_TABLE_SET}")
  endif()
  # What includes a copy must be compiled again when the list changes, since
  # an #include may now find a copy, or no longer find one.
  set(list_file "${header}.text-list")
  set(text_options --font=${inputs})
  if(table_set)
    list(PREPEND text_options --table=${table_set})
  endif()
  if(DEFINED arg_SCREEN)
    list(APPEND text_options --screen=${arg_SCREEN})
  endif()
  if(arg_FALLBACK)
    list(APPEND text_options --fallback)
  endif()
  foreach(catalog IN LISTS catalogs)
    list(APPEND text_options --catalog=${catalog})
  endforeach()
  if(DEFINED arg_SOURCE_LANGUAGE)
    list(APPEND text_options --source-language=${arg_SOURCE_LANGUAGE})
  endif()
  if(DEFINED arg_LANGUAGE_BUDGET)
    list(APPEND text_options --language-budget=${arg_LANGUAGE_BUDGET})
  endif()
  set(tables_form)
  if(DEFINED arg_CATALOGS)
    set(tables_form --languages)
  elseif(DEFINED arg_CATALOG)
    set(tables_form --tables)
  endif()
  _make_h_follow_tables("${target}" "${header}" "${tables_form}")
  set(copies)
  if(DEFINED arg_TEXT)
    _make_h_encode_texts("${target}" "${shown}" "${pair_stamp}" "${text_options}" "${tables_form}" "${catalogs}"
      "${list_file}" copies)
  endif()
  _make_h_follow_text_list("${list_file}" "${copies}")
endfunction()

# Where the tables of header's messages go, if tables_form (--languages or
# --tables) says there are any: ui_languages.h in the header's directory,
# one header's a directory; and without them, the tables made before go.
function(_make_h_follow_tables target header tables_form)
  get_filename_component(header_dir "${header}" DIRECTORY)
  set(tables "${header_dir}/ui_languages.h" "${header_dir}/ui_languages.c")
  if(NOT tables_form)
    if(EXISTS "${header}.languages")  # this header's, not another's in the directory
      file(REMOVE ${tables} "${header}.languages")
    endif()
    return()
  endif()
  get_property(taken GLOBAL PROPERTY _MAKE_H_TABLES_DIRECTORIES)
  if(header_dir IN_LIST taken)
    message(FATAL_ERROR "make_h_add_font_header(${target}): another header's ui_languages.h goes to "
      "${header_dir} already: give ${header} a directory of its own")
  endif()
  set_property(GLOBAL APPEND PROPERTY _MAKE_H_TABLES_DIRECTORIES "${header_dir}")
endfunction()

# Removes the copies of sources no longer listed under TEXT, so that nothing
# includes a stale one, and rewrites the list file when the list changes.
function(_make_h_follow_text_list list_file copies)
  set(listed "")
  if(EXISTS "${list_file}")
    file(READ "${list_file}" listed)
  endif()
  foreach(old IN LISTS listed)
    if(NOT old IN_LIST copies)
      file(REMOVE "${old}")
    endif()
  endforeach()
  if(NOT listed STREQUAL "${copies}")
    file(WRITE "${list_file}" "${copies}")
  endif()
endfunction()

# Stops the configure run when an input named by keyword does not exist,
# unless the build makes it.
function(_make_h_check_exists call keyword path)
  get_filename_component(absolute "${path}" ABSOLUTE)
  get_source_file_property(generated "${absolute}" GENERATED)
  if(NOT EXISTS "${absolute}" AND NOT generated)
    message(FATAL_ERROR "${call}: ${keyword} ${absolute} does not exist")
  endif()
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
  if((DEFINED arg_SCREEN OR arg_FALLBACK) AND NOT DEFINED arg_TEXT)
    message(FATAL_ERROR "${call}: SCREEN and FALLBACK go with TEXT")
  endif()
  foreach(keyword IN ITEMS CATALOG CATALOGS LANGUAGE_BUDGET)
    if(DEFINED arg_${keyword} AND NOT DEFINED arg_TEXT)
      message(FATAL_ERROR "${call}: ${keyword} goes with TEXT")
    endif()
  endforeach()
  list(LENGTH arg_CATALOG catalog_count)
  if(catalog_count GREATER 1)
    message(FATAL_ERROR "${call}: CATALOG is given ${catalog_count} catalogs: it compiles one language at "
      "build time; CATALOGS <po>... makes one program of every language")
  endif()
  if(DEFINED arg_CATALOG AND DEFINED arg_CATALOGS)
    message(FATAL_ERROR "${call}: give CATALOG (one language, at build time) or CATALOGS (every language, "
      "switched at run time), not both")
  endif()
  if(DEFINED arg_SOURCE_LANGUAGE AND NOT DEFINED arg_CATALOGS)
    message(FATAL_ERROR "${call}: SOURCE_LANGUAGE goes with CATALOGS")
  endif()
  if(DEFINED arg_LANGUAGE_BUDGET AND NOT (DEFINED arg_CATALOG OR DEFINED arg_CATALOGS))
    message(FATAL_ERROR "${call}: LANGUAGE_BUDGET goes with CATALOG or CATALOGS")
  endif()
  if(DEFINED arg_LANGUAGE_BUDGET AND NOT arg_LANGUAGE_BUDGET MATCHES "^[0-9]+$")
    message(FATAL_ERROR "${call}: LANGUAGE_BUDGET ${arg_LANGUAGE_BUDGET} is not a number of bytes")
  endif()
  if(arg_ADD_TEXT_CHARACTERS AND NOT (DEFINED arg_IMPORT AND DEFINED arg_TEXT))
    message(FATAL_ERROR "${call}: ADD_TEXT_CHARACTERS goes with IMPORT and TEXT")
  endif()
  if(DEFINED arg_CATALOG OR DEFINED arg_CATALOGS)
    get_target_property(reads_catalogs make_h::font_text MAKE_H_READS_CATALOGS)
    if(NOT reads_catalogs)
      message(FATAL_ERROR "${call}: CATALOG and CATALOGS need a font_text that reads catalogs, "
        "which this make_h was built without (it needs libgettextpo)")
    endif()
  endif()
  if(DEFINED arg_SCREEN AND NOT arg_SCREEN MATCHES "^[0-9]+x[0-9]+$")
    message(FATAL_ERROR "${call}: SCREEN ${arg_SCREEN} is not WxH, a size in pixels")
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
  foreach(keyword IN LISTS import_keywords ITEMS GLYPHS KEEP_CODES)
    if(DEFINED arg_${keyword} AND NOT keyword STREQUAL "TABLE_SET")
      message(FATAL_ERROR "${call}: ${keyword} goes with IMPORT, not with FONT and TABLE")
    endif()
  endforeach()
  if(arg_CROP)
    message(FATAL_ERROR "${call}: CROP goes with IMPORT, not with FONT and TABLE")
  endif()
endfunction()

# Copies the pair, and the record of its sets into record unless that is
# empty; the copies are followed by the stamp.
function(_make_h_copy_inputs shown inputs stamp font table record step_script)
  set(record_source)
  set(finish COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}")
  if(record)
    get_filename_component(table_dir "${table}" DIRECTORY)
    set(record_source "${table_dir}/koi.sets")
    # The record is read as a file, so that one that is a directory fails
    # here, leaving no stamp, rather than being copied whole and staying
    # until its source is newer than the stamp. A directory copied by an
    # older build must go first, or the file would be put into it.
    set(cat_record "${CMAKE_COMMAND}" -E cat "${record_source}")
    string(REPLACE ";" "$<SEMICOLON>" cat_record "${cat_record}")  # one argument in the list below
    set(finish
      COMMAND "${CMAKE_COMMAND}" -E rm -rf "${record}"
      COMMAND "${CMAKE_COMMAND}" "-DCOMMAND=${cat_record}"
              "-DSTANDARD_OUTPUT=${record}.new" "-DRESULTS=${record}" "-DSTAMP=${stamp}" -P "${step_script}")
  endif()
  add_custom_command(OUTPUT "${stamp}"
    BYPRODUCTS "${inputs}/8x12.fnt" "${inputs}/koi.bin" ${record}
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${stamp}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${inputs}"
    COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${font}" "${inputs}/8x12.fnt"
    COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${table}" "${inputs}/koi.bin"
    ${finish}
    DEPENDS "${font}" "${table}" ${record_source}
    COMMENT "Copying the font and table of ${shown}"
    VERBATIM)
endfunction()

# A step's options are a dependency too: a file that changes only when they
# do, so that a build with new options runs the step again.
function(_make_h_write_options options_file options)
  set(written "")
  if(EXISTS "${options_file}")
    file(READ "${options_file}" written)
  endif()
  if(NOT EXISTS "${options_file}" OR NOT written STREQUAL options)
    file(WRITE "${options_file}" "${options}")
  endif()
endfunction()

# Imports font into the pair, followed by the stamp; a failed import leaves
# no header of the old font looking current. font_import leaves a pair that
# comes out the same as it was. The options are font_import's; depends names
# what it reads besides the font.
function(_make_h_import_inputs header shown inputs stamp font options depends)
  _make_h_write_options("${inputs}.options" "${options}")
  set(command "$<TARGET_FILE:make_h::font_import>" -o "${inputs}" ${options} "${font}")
  add_custom_command(OUTPUT "${stamp}"
    BYPRODUCTS "${inputs}/8x12.fnt" "${inputs}/koi.bin" "${inputs}/koi.sets"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${inputs}"
    COMMAND "${CMAKE_COMMAND}" "-DCOMMAND=${command}"
      "-DSTALE=${header};${header}.trace;${header}.stamp" "-DSTAMP=${stamp}" -P "${step_script}"
    DEPENDS "${font}" "${inputs}.options" ${depends} make_h::font_import "${step_script}"
    COMMENT "Importing ${font} for ${shown}"
    VERBATIM)
endfunction()

function(_make_h_run_make_h header shown inputs pair_stamp)
  add_custom_command(OUTPUT "${header}.stamp"
    BYPRODUCTS "${header}" "${header}.trace"
    COMMAND "${CMAKE_COMMAND}" "-DCOMMAND=$<TARGET_FILE:make_h::make_h>" "-DDIRECTORY=${inputs}"
      "-DSTANDARD_OUTPUT=${header}.new" "-DSTANDARD_ERROR=${header}.trace.new"
      "-DRESULTS=${header};${header}.trace" "-DSTAMP=${header}.stamp" -P "${step_script}"
    DEPENDS "${pair_stamp}" make_h::make_h "${step_script}"
    COMMENT "Generating ${shown} with make_h"
    VERBATIM)
endfunction()

# The language CMake compiles source in, C or CXX, or nothing.
function(_make_h_language_of source result)
  get_source_file_property(language "${source}" LANGUAGE)
  if(NOT language)
    get_filename_component(extension "${source}" LAST_EXT)
    string(SUBSTRING "${extension}" 1 -1 extension)
    foreach(candidate IN ITEMS C CXX)
      if(extension IN_LIST CMAKE_${candidate}_SOURCE_FILE_EXTENSIONS)
        set(language ${candidate})
      endif()
    endforeach()
  endif()
  if(NOT language MATCHES "^(C|CXX)$")
    set(language "")
  endif()
  set(${result} "${language}" PARENT_SCOPE)
endfunction()

# Compiles the copies of the TEXT sources that font_text encodes in one run
# with text_options, in their places, again when a source, the pair (its
# stamp) or a catalog changes; with tables_form (--languages or --tables),
# the tables too, with the header's report. Sets copies_var to the copies'
# paths. A source CMake compiles as C or C++ is read as one; any other by
# its name (-x none).
function(_make_h_encode_texts target shown pair_stamp text_options tables_form catalogs list_file copies_var)
  get_filename_component(header_dir "${header}" DIRECTORY)
  set(originals)
  set(copies)
  set(languages)
  foreach(source IN LISTS arg_TEXT)
    get_filename_component(original "${source}" ABSOLUTE)
    file(RELATIVE_PATH relative "${CMAKE_CURRENT_SOURCE_DIR}" "${original}")
    string(REPLACE "../" "__/" relative "${relative}")  # a source outside stays inside the copies
    set(copy "${header}.text/${relative}")
    _make_h_compile_copy("${target}" "${original}" "${copy}" "${list_file}" language)
    list(APPEND originals "${original}")
    list(APPEND copies "${copy}")
    if(language)
      list(APPEND languages --language=c)
    else()
      list(APPEND languages --language=none)
    endif()
  endforeach()
  set(directories ${copies})
  list(TRANSFORM directories REPLACE "/[^/]*$" "")
  list(TRANSFORM copies APPEND ".new" OUTPUT_VARIABLE written)
  list(TRANSFORM written PREPEND "--output=" OUTPUT_VARIABLE outputs)
  set(results ${copies})
  set(show)
  if(tables_form)
    # font_text names the tables itself: they are written beside, then
    # compared with those in the header's directory.
    set(new_tables "${header}.tables")
    list(APPEND directories "${new_tables}")
    list(APPEND text_options ${tables_form}=${new_tables})
    list(APPEND results "${header_dir}/ui_languages.h" "${header_dir}/ui_languages.c" "${header}.languages")
    list(APPEND written "${new_tables}/ui_languages.h" "${new_tables}/ui_languages.c" "${header}.languages.new")
    set(show "-DSHOW=${header}.languages" "-DSTANDARD_OUTPUT=${header}.languages.new")
    _make_h_compile_tables("${target}" "${header_dir}/ui_languages.c")
  endif()
  set(options_file "${header}.text.options")
  _make_h_write_options("${options_file}" "${text_options};${arg_TEXT}")
  set(command "$<TARGET_FILE:make_h::font_text>" ${text_options} ${languages} ${outputs} ${originals})
  list(REMOVE_DUPLICATES directories)
  add_custom_command(OUTPUT "${header}.text.stamp"
    BYPRODUCTS ${results}
    COMMAND "${CMAKE_COMMAND}" -E make_directory ${directories}
    COMMAND "${CMAKE_COMMAND}" "-DCOMMAND=${command}" "-DRESULTS=${results}" "-DWRITTEN=${written}" ${show}
      "-DSTAMP=${header}.text.stamp" -P "${step_script}"
    DEPENDS ${originals} "${options_file}" "${pair_stamp}" ${catalogs} make_h::font_text "${step_script}"
    COMMENT "Encoding the text of ${shown}"
    VERBATIM)
  target_sources("${target}" PRIVATE "${header}.text.stamp")
  set(${copies_var} "${copies}" PARENT_SCOPE)
endfunction()

# Compiles copy in the place of original, the TEXT source it is encoded
# from, wherever the target lists it; sets language_var to the language
# CMake compiles it in, if any.
function(_make_h_compile_copy target original copy list_file language_var)
  get_filename_component(original_dir "${original}" DIRECTORY)
  get_target_property(sources "${target}" SOURCES)
  get_target_property(target_dir "${target}" SOURCE_DIR)
  foreach(listed IN LISTS sources)
    get_filename_component(listed_path "${listed}" ABSOLUTE BASE_DIR "${target_dir}")
    if(listed_path STREQUAL original)
      list(REMOVE_ITEM sources "${listed}")
      set_property(TARGET "${target}" PROPERTY SOURCES ${sources})
    endif()
  endforeach()
  target_sources("${target}" PRIVATE "${copy}")
  # #include "x.h" beside the original still finds x.h; and when the list
  # changes, an #include may find a copy, or no longer find one.
  set_source_files_properties("${copy}" PROPERTIES INCLUDE_DIRECTORIES "${original_dir}"
    OBJECT_DEPENDS "${list_file}")
  _make_h_language_of("${original}" language)
  if(language)
    set_source_files_properties("${copy}" PROPERTIES LANGUAGE ${language})
  endif()
  set(${language_var} "${language}" PARENT_SCOPE)
endfunction()

# Compiles the tables into the target: as C, or as C++ where the project
# has no C (the code is both).
function(_make_h_compile_tables target tables)
  target_sources("${target}" PRIVATE "${tables}")
  get_property(enabled GLOBAL PROPERTY ENABLED_LANGUAGES)
  if("CXX" IN_LIST enabled AND NOT "C" IN_LIST enabled)
    set_source_files_properties("${tables}" PROPERTIES LANGUAGE CXX)
  endif()
endfunction()
