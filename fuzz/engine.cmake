# The matchers' sources get coverage here, like the decoder's in tasks.cmake.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_library(matcher_fuzz_core OBJECT
    ${PROJECT_SOURCE_DIR}/engine/wildcard.cpp
    ${PROJECT_SOURCE_DIR}/engine/case_fold.cpp
    ${PROJECT_SOURCE_DIR}/engine/regex_pattern.cpp
    ${PROJECT_SOURCE_DIR}/engine/bounded_regex.cpp
    ${PROJECT_SOURCE_DIR}/engine/keyword_matcher.cpp)
  target_include_directories(matcher_fuzz_core PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(matcher_fuzz_core PRIVATE -fsanitize=fuzzer-no-link)

  add_executable(matcher_fuzzer ${CMAKE_CURRENT_LIST_DIR}/matcher_fuzzer.cpp)
  target_link_libraries(matcher_fuzzer PRIVATE matcher_fuzz_core)
  target_compile_options(matcher_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_options(matcher_fuzzer PRIVATE -fsanitize=fuzzer)
endif()
