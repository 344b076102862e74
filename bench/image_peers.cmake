# "vellumark images" against img2pdf, tiff2pdf and a libharu program, whole
# processes; needs libpng and libtiff to make its inputs and libharu for
# its own peer program.
find_package(PNG QUIET)
find_package(TIFF QUIET)
find_path(HPDF_IMAGES_INCLUDE_DIR hpdf.h)
find_library(HPDF_IMAGES_LIBRARY NAMES hpdf libhpdf)
if(PNG_FOUND AND TIFF_FOUND AND HPDF_IMAGES_INCLUDE_DIR AND HPDF_IMAGES_LIBRARY)
  add_executable(haru_images ${CMAKE_CURRENT_SOURCE_DIR}/haru_images.c ${CMAKE_CURRENT_SOURCE_DIR}/haru_common.c)
  target_include_directories(haru_images PRIVATE ${HPDF_IMAGES_INCLUDE_DIR})
  target_link_libraries(haru_images PRIVATE ${HPDF_IMAGES_LIBRARY})
  add_executable(bench_image_peers ${CMAKE_CURRENT_SOURCE_DIR}/bench_image_peers.cpp)
  target_link_libraries(bench_image_peers PRIVATE vellumark_core PNG::PNG TIFF::TIFF)
  add_dependencies(bench_image_peers vellumark haru_images)
else()
  message(STATUS "libpng, libtiff or libharu not found: bench_image_peers is not built")
endif()
