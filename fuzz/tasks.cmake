# libFuzzer needs clang. The decoder's own sources are compiled here with coverage so the
# fuzzer is guided through them; the tasks library itself stays uninstrumented.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_library(decode_fuzz_core OBJECT
    ${PROJECT_SOURCE_DIR}/tasks/task_file_format.cpp
    ${PROJECT_SOURCE_DIR}/tasks/task_entry.cpp)
  target_include_directories(decode_fuzz_core PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(decode_fuzz_core PRIVATE -fsanitize=fuzzer-no-link)

  add_executable(decode_fuzzer ${CMAKE_CURRENT_LIST_DIR}/decode_fuzzer.cpp)
  target_link_libraries(decode_fuzzer PRIVATE decode_fuzz_core)
  target_compile_options(decode_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_options(decode_fuzzer PRIVATE -fsanitize=fuzzer)
endif()
