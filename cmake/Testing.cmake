# Test executables. Each writes its GoogleTest XML report to test-results/,
# which scripts/test sums up. On Windows they run under Wine (the
# cross-compiling emulator); DISPLAY tests get a private Xvfb.
if(WIN32)
  set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
else()
  find_package(GTest REQUIRED)
endif()

set(POSTLING_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
# Wine resolves Unix paths through drive Z:.
if(WIN32)
  set(POSTLING_TEST_RESULTS_ARG Z:${POSTLING_TEST_RESULTS}/)
else()
  set(POSTLING_TEST_RESULTS_ARG ${POSTLING_TEST_RESULTS}/)
endif()
# The summary counts these tests by their reports; a missing report is a failure.
file(WRITE ${CMAKE_BINARY_DIR}/gtest-tests.txt "")
set(POSTLING_WITH_XVFB ${PROJECT_SOURCE_DIR}/scripts/lib/with-xvfb)

# The program's string table as a resource of a Windows test or tool, so
# that the resource chain finds it in the executable itself.
function(postling_add_string_table target)
  if(WIN32)
    set(rc ${PROJECT_SOURCE_DIR}/postling/res/StringTable.rc)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${POSTLING_STRINGS_RC_DIR}/strings.rc)
    target_include_directories(${target} PRIVATE ${POSTLING_STRINGS_RC_DIR})
    add_dependencies(${target} postling_strings_rc)
  endif()
endfunction()

# postling_add_gtest(NAME SOURCES ... [LIBS ...] [DISPLAY])
function(postling_add_gtest name)
  cmake_parse_arguments(T "DISPLAY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  postling_add_string_table(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_DISPLAY)
    add_test(NAME ${name} COMMAND ${POSTLING_WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR}
             $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "GTEST_OUTPUT=xml:${POSTLING_TEST_RESULTS_ARG}"
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>)
  file(APPEND ${CMAKE_BINARY_DIR}/gtest-tests.txt "${name}\n")
endfunction()
