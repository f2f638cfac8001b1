nagitome_add_test(app_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/run_log_test.cpp
  LIBS run_log)
