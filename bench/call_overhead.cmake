# The cost of a call through libvellumark's C and C++ interfaces against the
# engine called directly.
add_executable(bench_call_overhead ${CMAKE_CURRENT_SOURCE_DIR}/bench_call_overhead.cpp)
target_link_libraries(bench_call_overhead PRIVATE vellumark_shared vellumark_engine)
