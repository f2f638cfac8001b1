add_executable(matching_bench ${CMAKE_CURRENT_LIST_DIR}/matching_bench.cpp)
target_link_libraries(matching_bench PRIVATE engine benchmark::benchmark)

add_executable(termination_bench ${CMAKE_CURRENT_LIST_DIR}/termination_bench.cpp)
target_link_libraries(termination_bench PRIVATE engine benchmark::benchmark)
