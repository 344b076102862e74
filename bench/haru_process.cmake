# "vellumark run" against a libharu C program (haru_process), both run as
# whole processes; the report's text comes from bench_text_report --dump, so
# this needs libharu as that one does.
if(TARGET bench_text_report)
  add_executable(haru_process haru_process.c haru_shapes.c haru_text.c haru_common.c)
  target_include_directories(haru_process PRIVATE ${HPDF_INCLUDE_DIR})
  target_link_libraries(haru_process PRIVATE ${HPDF_LIBRARY})

  add_executable(bench_haru_process bench_haru_process.cpp)
  target_link_libraries(bench_haru_process PRIVATE vellumark_core)
  add_dependencies(bench_haru_process vellumark haru_process bench_text_report)
endif()
