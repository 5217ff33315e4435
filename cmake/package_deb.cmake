# cpack -G DEB in the build directory makes make-h_VERSION_ARCH.deb of what
# cmake --install puts under /usr.
if(NOT CMAKE_SOURCE_DIR STREQUAL PROJECT_SOURCE_DIR)
  return()  # CPack's settings belong to the project that adds make_h
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME make-h)  # Debian allows no '_'
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
  "Seed 44fbd5d8 maintainers <maintainers@users.noreply.c-seed-44fbd5d8.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "C headers of 8x12 bitmap fonts for firmware")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "make_h turns a font of 256 glyphs of 8x12 pixels and a 128-byte recoding
table into a C header declaring the font as a const array, for firmware that
draws text on a display. font_import makes its inputs from BDF, PCF, PSF, FON,
TrueType and yaff fonts, font_export writes them back out as yaff, BDF and PSF2
fonts for font editors and the Linux console, font_sheet draws them as a PNG
picture, font_text puts UI text into the font's 8-bit codes, translated from
gettext catalogs if asked, and checks it against the font, and the CMake
package's make_h_add_font_header() does it all as part of a build.")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
