# Helpers shared by every folder of the build.

# karvonel_library(NAME DIR... LIBS ...): a static library from every .cpp and .h
# under the given folders.
function(karvonel_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LIBS" ${ARGN})
  set(srcs)
  foreach(d ${ARG_DIRS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${d}/*.cpp ${d}/*.h)
    list(APPEND srcs ${found})
  endforeach()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# karvonel_test(NAME SOURCES ... LIBS ... [SERVER]): one GoogleTest executable;
# each test case becomes a CTest test. SERVER puts them behind the Firebird
# server fixture.
function(karvonel_test name)
  cmake_parse_arguments(ARG "SERVER" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/offscreen.cpp)
  if(KARVONEL_SANITIZE)
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/sanitizer_options.cpp)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(${name} PRIVATE
    KARVONEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KARVONEL_BINARY_DIR="${CMAKE_BINARY_DIR}"
    KARVONEL_BIN_DIR="${KARVONEL_BIN_DIR}")
  # One value per property: gtest_discover_tests splits a value at ";", which
  # would break a two-variable ENVIRONMENT and every property after it.
  set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    ENVIRONMENT_MODIFICATION "KARVONEL_TEST_DIR=set:${CMAKE_BINARY_DIR}/tests/tmp")
  if(ARG_SERVER)
    list(APPEND props FIXTURES_REQUIRED fbserver)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props} TIMEOUT ${ARG_TIMEOUT})
endfunction()
