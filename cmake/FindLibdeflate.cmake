# find_package(Libdeflate): the whole-buffer compression library, as the
# imported target Libdeflate::Libdeflate. Debian's libdeflate-dev has no CMake
# package of its own; the Windows build installs a static libdeflate.a with
# its header under VELLUMARK_WINDOWS_DEPS.
find_path(Libdeflate_INCLUDE_DIR libdeflate.h)
if(WIN32)
  find_library(Libdeflate_LIBRARY NAMES libdeflate.a deflate)
else()
  find_library(Libdeflate_LIBRARY NAMES deflate)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Libdeflate REQUIRED_VARS Libdeflate_LIBRARY Libdeflate_INCLUDE_DIR)
mark_as_advanced(Libdeflate_INCLUDE_DIR Libdeflate_LIBRARY)

if(Libdeflate_FOUND AND NOT TARGET Libdeflate::Libdeflate)
  add_library(Libdeflate::Libdeflate UNKNOWN IMPORTED)
  set_target_properties(Libdeflate::Libdeflate PROPERTIES
    IMPORTED_LOCATION "${Libdeflate_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${Libdeflate_INCLUDE_DIR}")
endif()
