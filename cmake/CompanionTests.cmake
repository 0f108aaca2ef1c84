# The native tree's ctest also runs the tests of the Windows tree (under Wine) and of
# the sanitizer tree, when those trees have been built, so one ctest covers all.
if(NOT CMAKE_CROSSCOMPILING AND NOT QUILL_BUILD_FUZZERS)
  set(QUILL_COMPANION_TREES "${PROJECT_SOURCE_DIR}/build/win64;${PROJECT_SOURCE_DIR}/build/fuzz"
      CACHE STRING "Build trees whose tests the native ctest runs too")
  set(script "")
  foreach(tree ${QUILL_COMPANION_TREES})
    string(APPEND script "if(EXISTS \"${tree}/CTestTestfile.cmake\")\n  subdirs(\"${tree}\")\nendif()\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/companion-tests.cmake "${script}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES
               ${CMAKE_BINARY_DIR}/companion-tests.cmake)
endif()
