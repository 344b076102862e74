# LZW RGB pages decoded by the TIFF reader against libtiff's decoder; libtiff
# writes the pages and is the baseline, so without it the benchmark is skipped.
find_package(TIFF QUIET)
if(TIFF_FOUND)
  add_executable(bench_tiff_lzw ${CMAKE_CURRENT_LIST_DIR}/bench_tiff_lzw.cpp)
  target_link_libraries(bench_tiff_lzw PRIVATE vellumark_core TIFF::TIFF)
else()
  message(STATUS "libtiff (tiffio.h, libtiff) not found: bench_tiff_lzw is not built")
endif()
