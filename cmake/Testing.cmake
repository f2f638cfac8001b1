# GoogleTest: the system package on the host; for MinGW, built here from the sources that
# Debian's googletest package installs (no download at configure time).
if(WIN32)
  set(NAGITOME_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${NAGITOME_GTEST_SOURCE}/src/gtest-all.cc)
    message(FATAL_ERROR "GoogleTest sources not found at ${NAGITOME_GTEST_SOURCE}: run scripts/setup")
  endif()
  add_library(gtest STATIC ${NAGITOME_GTEST_SOURCE}/src/gtest-all.cc)
  target_include_directories(gtest SYSTEM PUBLIC ${NAGITOME_GTEST_SOURCE}/include
                                     PRIVATE ${NAGITOME_GTEST_SOURCE})
  target_compile_options(gtest PRIVATE -w)
  add_library(gtest_main STATIC ${NAGITOME_GTEST_SOURCE}/src/gtest_main.cc)
  target_link_libraries(gtest_main PUBLIC gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# nagitome_add_test(name SOURCES... LIBS...): one GoogleTest executable; each case is its own
# ctest test, discovered at test time so that Windows discovery also runs under Wine.
function(nagitome_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${ARG_PROPERTIES})
endfunction()
