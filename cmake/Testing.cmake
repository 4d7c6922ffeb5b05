# GoogleTest on both platforms: the system build on Linux, the Debian
# sources compiled with the cross compiler on Windows.
if(KESTRION_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()

# kestrion_test(NAME SOURCES... [LIBS ...])
# One executable a module. Under Wine every process start costs time, so the
# Windows build runs each executable as one test; Linux lists its cases.
function(kestrion_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  # Tests see their own helpers and the headers of the layers they link.
  kestrion_layer(${name} tests)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  else()
    # Instances read the user's configuration file: tests get a folder of
    # their own (under Wine the test script's fresh prefix does the same).
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300
                         ENVIRONMENT "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-user-config")
  endif()
endfunction()
