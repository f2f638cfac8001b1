nagitome_add_test(engine_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/engine_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/case_fold_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/watch_test.cpp
  LIBS engine)
