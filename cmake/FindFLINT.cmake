# Finds FLINT (Debian's libflint-dev ships no pkg-config file).
# Defines the imported target FLINT::flint.
find_path(FLINT_INCLUDE_DIR NAMES flint/flint.h)
find_library(FLINT_LIBRARY NAMES flint)
find_library(GMP_LIBRARY NAMES gmp)
find_library(MPFR_LIBRARY NAMES mpfr)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(FLINT REQUIRED_VARS FLINT_LIBRARY FLINT_INCLUDE_DIR GMP_LIBRARY MPFR_LIBRARY)
if(FLINT_FOUND AND NOT TARGET FLINT::flint)
  add_library(FLINT::flint UNKNOWN IMPORTED)
  set_target_properties(FLINT::flint PROPERTIES
    IMPORTED_LOCATION "${FLINT_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${FLINT_INCLUDE_DIR};${FLINT_INCLUDE_DIR}/flint"
    INTERFACE_LINK_LIBRARIES "${MPFR_LIBRARY};${GMP_LIBRARY}")
endif()
mark_as_advanced(FLINT_INCLUDE_DIR FLINT_LIBRARY GMP_LIBRARY MPFR_LIBRARY)
