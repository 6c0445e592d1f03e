# Finds ISA-L's inflater (Debian's libisal-dev) and defines the imported target Isal::isal.
# Used by the engine's own build and installed beside its CMake package, so that a caller's
# build finds the library where its own machine keeps it.
find_path(Isal_INCLUDE_DIR isa-l/igzip_lib.h)
find_library(Isal_LIBRARY isal)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Isal REQUIRED_VARS Isal_LIBRARY Isal_INCLUDE_DIR)
if(Isal_FOUND AND NOT TARGET Isal::isal)
  add_library(Isal::isal UNKNOWN IMPORTED)
  set_target_properties(Isal::isal PROPERTIES IMPORTED_LOCATION "${Isal_LIBRARY}"
                        INTERFACE_INCLUDE_DIRECTORIES "${Isal_INCLUDE_DIR}")
endif()
mark_as_advanced(Isal_INCLUDE_DIR Isal_LIBRARY)
