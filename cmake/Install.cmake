# What "cmake --install" puts in place, and the Debian package "cpack -G DEB"
# makes of it: the headers, libvellumark.so and libvellumark.a, the CMake
# package (find_package(Vellumark) gives Vellumark::vellumark and
# Vellumark::vellumark_static), vellumark.pc, the vellumark program, its
# manual page and its documents, and the Python package.
include(CMakePackageConfigHelpers)

install(FILES include/vellumark/vellumark.h include/vellumark/vellumark.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vellumark)
install(TARGETS vellumark_shared vellumark_static EXPORT VellumarkTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS vellumark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/vellumark.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES docs/reference.md docs/scripting.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vellumark)

set(VELLUMARK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vellumark)
install(EXPORT VellumarkTargets NAMESPACE Vellumark:: DESTINATION ${VELLUMARK_CMAKE_DIR})
configure_package_config_file(cmake/VellumarkConfig.cmake.in ${CMAKE_BINARY_DIR}/VellumarkConfig.cmake
  INSTALL_DESTINATION ${VELLUMARK_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VellumarkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VellumarkConfig.cmake ${CMAKE_BINARY_DIR}/VellumarkConfigVersion.cmake
  cmake/FindLibdeflate.cmake
  DESTINATION ${VELLUMARK_CMAKE_DIR})

# pkg-config: the prefix is found from the file's own place, so the file
# holds wherever the tree is installed.
file(RELATIVE_PATH VELLUMARK_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(cmake/vellumark.pc.in ${CMAKE_BINARY_DIR}/vellumark.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vellumark.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python package, where Debian's Python 3 looks for packages below both
# /usr and /usr/local, with the place of the library relative to it.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  set(VELLUMARK_PYTHON_DIR lib/python3.${Python3_VERSION_MINOR}/dist-packages CACHE STRING
    "Where the Python package is installed, relative to the prefix")
  file(RELATIVE_PATH VELLUMARK_PYTHON_TO_LIBRARY /${VELLUMARK_PYTHON_DIR}/vellumark
    /${CMAKE_INSTALL_LIBDIR}/libvellumark.so.${PROJECT_VERSION_MAJOR})
  configure_file(cmake/_installed.py.in ${CMAKE_BINARY_DIR}/python/_installed.py @ONLY)
  install(DIRECTORY python/vellumark/ DESTINATION ${VELLUMARK_PYTHON_DIR}/vellumark
    FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
  install(FILES ${CMAKE_BINARY_DIR}/python/_installed.py DESTINATION ${VELLUMARK_PYTHON_DIR}/vellumark)
endif()

# The Debian package: everything above under /usr.
set(CPACK_PACKAGE_NAME vellumark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vellumark developers <vellumark@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PDF-generating engine: C, C++ and Python library and the vellumark program")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The shared library's shlibs file and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3")
set(CPACK_GENERATOR DEB)
include(CPack)
