nagitome_add_test(engine_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/wildcard_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keyword_matcher_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/termination_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/preview_test.cpp
  LIBS engine)
