# The save of the vector document on two threads against one, and libdeflate
# against zlib on whole buffers (content streams, images, a font file).
add_executable(bench_save_threads ${CMAKE_CURRENT_LIST_DIR}/bench_save_threads.cpp)
target_link_libraries(bench_save_threads PRIVATE vellumark_core ZLIB::ZLIB)
