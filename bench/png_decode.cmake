# PNG decoding against libpng's decoder; without libpng it is skipped.
find_package(PNG QUIET)
if(PNG_FOUND)
  add_executable(bench_png_decode ${CMAKE_CURRENT_SOURCE_DIR}/bench_png_decode.cpp)
  target_link_libraries(bench_png_decode PRIVATE vellumark_core PNG::PNG)
else()
  message(STATUS "libpng (png.h, libpng) not found: bench_png_decode is not built")
endif()
