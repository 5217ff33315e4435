# The man pages (the drawing routine's in section 3), the copyright notice,
# the changelog and the sample inputs; the pages and the changelog
# compressed as Debian wants them (man reads gzip'd pages anywhere).
find_program(MAKE_H_GZIP gzip REQUIRED)
# Debian looks for these under the package's name.
set(MAKE_H_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/make-h)

# Compresses source into the build tree and installs it into destination;
# adds the compressed file to gzipped_docs.
function(_make_h_install_gzipped source destination)
  get_filename_component(name "${source}" NAME)
  set(copy "${PROJECT_BINARY_DIR}/gzipped/${name}")
  add_custom_command(OUTPUT "${copy}.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${source}" "${copy}"
    # No name or time stamp inside, so that packages come out the same.
    COMMAND "${MAKE_H_GZIP}" -9nf "${copy}"
    DEPENDS "${source}"
    VERBATIM)
  install(FILES "${copy}.gz" DESTINATION "${destination}")
  set(gzipped_docs ${gzipped_docs} "${copy}.gz" PARENT_SCOPE)
endfunction()

set(gzipped_docs)
foreach(tool IN ITEMS make_h font_sheet font_import font_text font_export)
  if(TARGET ${tool})
    _make_h_install_gzipped("${PROJECT_SOURCE_DIR}/man/${tool}.1" ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
_make_h_install_gzipped("${PROJECT_SOURCE_DIR}/man/font8x12_draw.3" ${CMAKE_INSTALL_MANDIR}/man3)
_make_h_install_gzipped("${PROJECT_SOURCE_DIR}/packaging/changelog" ${MAKE_H_DOC_DIR})
add_custom_target(make_h_docs ALL DEPENDS ${gzipped_docs})

# The licence, in Debian's machine-readable form, where Debian looks for it.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" DESTINATION ${MAKE_H_DOC_DIR})
# The sample inputs, which the man pages' examples use.
install(FILES "${PROJECT_SOURCE_DIR}/sample/8x12.fnt" "${PROJECT_SOURCE_DIR}/sample/koi.bin"
  "${PROJECT_SOURCE_DIR}/sample/koi.sets" "${PROJECT_SOURCE_DIR}/sample/6x12.pcf.gz"
  DESTINATION ${MAKE_H_DOC_DIR}/examples)
