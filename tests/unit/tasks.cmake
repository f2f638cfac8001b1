nagitome_add_test(tasks_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/task_file_test.cpp
  LIBS tasks)
