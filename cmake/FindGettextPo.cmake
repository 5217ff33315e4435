# find_package(GettextPo): gettext's library of PO files, libgettextpo
# (Debian's libgettextpo-dev), as the imported target GettextPo::GettextPo.
find_path(GettextPo_INCLUDE_DIR gettext-po.h)
find_library(GettextPo_LIBRARY gettextpo)
mark_as_advanced(GettextPo_INCLUDE_DIR GettextPo_LIBRARY)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(GettextPo REQUIRED_VARS GettextPo_LIBRARY GettextPo_INCLUDE_DIR)
if(GettextPo_FOUND AND NOT TARGET GettextPo::GettextPo)
  add_library(GettextPo::GettextPo UNKNOWN IMPORTED)
  set_target_properties(GettextPo::GettextPo PROPERTIES
    IMPORTED_LOCATION "${GettextPo_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${GettextPo_INCLUDE_DIR}")
endif()
