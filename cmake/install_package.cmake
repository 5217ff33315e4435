# The CMake package of the installed tools, for find_package(make_h).
include(CMakePackageConfigHelpers)

# The package describes tools of the build machine, not libraries of a target
# architecture, so it has one place whatever the multiarch library directory.
set(MAKE_H_PACKAGE_DIR lib/cmake/make_h)

# The drawing routine's header goes into a directory of its own: a cross
# compiler does not search the build machine's include directory, and CMake
# leaves that one off the command line.
install(TARGETS font8x12_draw EXPORT make_h_targets)
install(FILES "${PROJECT_SOURCE_DIR}/font_draw/font8x12_draw.h" DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/make_h)

install(EXPORT make_h_targets
  NAMESPACE make_h::
  FILE make_hTargets.cmake
  DESTINATION ${MAKE_H_PACKAGE_DIR})
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/make_hConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/make_hConfig.cmake"
  INSTALL_DESTINATION ${MAKE_H_PACKAGE_DIR})
# The tools run on the build machine, so a cross build for a target of any
# pointer size may use them.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/make_hConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion
  ARCH_INDEPENDENT)
install(FILES
  "${PROJECT_BINARY_DIR}/make_hConfig.cmake"
  "${PROJECT_BINARY_DIR}/make_hConfigVersion.cmake"
  "${CMAKE_CURRENT_LIST_DIR}/make_h_font_header.cmake"
  "${CMAKE_CURRENT_LIST_DIR}/make_h_step.cmake"
  DESTINATION ${MAKE_H_PACKAGE_DIR})
