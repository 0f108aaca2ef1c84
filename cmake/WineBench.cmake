# Windows test programs run under Wine on a private display. Two fixture tests start
# and stop the bench around every test that needs it. Tests of one bench share its
# display, prefix, registry and mutex names, so each holds the bench's lock; tests of
# the other bench, native tests and fuzzers run beside them.
set(QUILL_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${QUILL_WINE_DIR})

add_test(NAME wine.bench.start COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-bench.sh start ${QUILL_WINE_DIR})
add_test(NAME wine.bench.stop COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-bench.sh stop ${QUILL_WINE_DIR})
set_tests_properties(wine.bench.start PROPERTIES FIXTURES_SETUP wine LABELS "wine;e2e" TIMEOUT 300)
set_tests_properties(wine.bench.stop PROPERTIES FIXTURES_CLEANUP wine LABELS "wine;e2e")

# The two-monitor bench: Xorg's dummy driver, for the tests that need a second monitor.
set(QUILL_WINE_DUAL_DIR ${CMAKE_BINARY_DIR}/wine-dual)
add_test(NAME wine.dual.start COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-bench.sh start ${QUILL_WINE_DUAL_DIR} dual)
add_test(NAME wine.dual.stop COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-bench.sh stop ${QUILL_WINE_DUAL_DIR})
set_tests_properties(wine.dual.start PROPERTIES FIXTURES_SETUP wine-dual LABELS e2e TIMEOUT 300)
set_tests_properties(wine.dual.stop PROPERTIES FIXTURES_CLEANUP wine-dual LABELS e2e)

# quill_wine_test(name SOURCES ... LIBS ... [LABEL wine|e2e]): a Windows GoogleTest
# program registered as one ctest test run under Wine.
function(quill_wine_test name)
  cmake_parse_arguments(arg "" "LABEL" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT arg_LABEL)
    set(arg_LABEL wine)
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main quill_warnings)
  add_test(NAME ${arg_LABEL}.${name} COMMAND ${name} ${arg_ARGS})
  set_tests_properties(${arg_LABEL}.${name} PROPERTIES FIXTURES_REQUIRED wine LABELS ${arg_LABEL}
                       TIMEOUT 600 RESOURCE_LOCK ${QUILL_WINE_DIR})
endfunction()

# The Windows form of a path under the build tree, through Wine's Z: drive.
function(quill_wine_path out path)
  string(REPLACE "/" "\\\\" winpath "${path}")
  set(${out} "Z:${winpath}" PARENT_SCOPE)
endfunction()
