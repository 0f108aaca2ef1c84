# Shared compile settings for the project's own targets.

add_library(quill_warnings INTERFACE)
target_compile_options(quill_warnings INTERFACE -Wall -Wextra)

if(QUILL_BUILD_FUZZERS)
  # Every library the fuzz targets link is instrumented for coverage and checked.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CMAKE_CROSSCOMPILING)
  # One self-contained file: no libgcc, libstdc++ or winpthread DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# quill_add_library(name SOURCES ... LIBS ...): a static library of the project's
# own code with the root as include directory.
function(quill_add_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_LIBS} PRIVATE quill_warnings)
endfunction()
