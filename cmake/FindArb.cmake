# Finds Arb as Debian packages it (libflint-arb-dev: headers in /usr/include,
# library libflint-arb). Defines the imported target Arb::arb.
find_path(ARB_INCLUDE_DIR NAMES arb.h arb_fmpz_poly.h)
find_library(ARB_LIBRARY NAMES flint-arb arb)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Arb REQUIRED_VARS ARB_LIBRARY ARB_INCLUDE_DIR)
if(Arb_FOUND AND NOT TARGET Arb::arb)
  add_library(Arb::arb UNKNOWN IMPORTED)
  set_target_properties(Arb::arb PROPERTIES
    IMPORTED_LOCATION "${ARB_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${ARB_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES FLINT::flint)
endif()
mark_as_advanced(ARB_INCLUDE_DIR ARB_LIBRARY)
