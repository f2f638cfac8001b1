nagitome_add_test(engine_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_test.cpp
  LIBS engine)
