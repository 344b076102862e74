# Group 4 decoding against libtiff's decoder; without libtiff it is skipped.
find_package(TIFF QUIET)
if(TIFF_FOUND)
  add_executable(bench_g4_decode ${CMAKE_CURRENT_SOURCE_DIR}/bench_g4_decode.cpp)
  target_link_libraries(bench_g4_decode PRIVATE vellumark_core TIFF::TIFF)
else()
  message(STATUS "libtiff (tiffio.h, libtiff) not found: bench_g4_decode is not built")
endif()
