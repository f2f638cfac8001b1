find_package(benchmark REQUIRED)

add_executable(task_file_bench ${CMAKE_CURRENT_LIST_DIR}/task_file_bench.cpp)
target_link_libraries(task_file_bench PRIVATE tasks benchmark::benchmark)
