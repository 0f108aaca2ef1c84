# Finds or builds the third-party libraries: zlib, minizip (with decryption),
# libjpeg-turbo with its TurboJPEG API, libexif, the stb headers, GoogleTest and
# Google Benchmark. Everything comes
# from Debian packages; sources are unpacked into a cache under build/ and reused.

set(QUILL_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH "Cache of unpacked sources and cross-built libraries")

# quill_build_dependency(name SOURCE dir BINARY dir ARGS ...): configures, builds and
# installs a third-party CMake project at configure time. It takes minutes, so one
# line says so; what each step prints goes to QUILL_DEPS_DIR/name-STEP.log, and on
# failure the log's path and its last lines are shown.
function(quill_build_dependency name)
  cmake_parse_arguments(arg "" "SOURCE;BINARY" "ARGS" ${ARGN})
  message(STATUS "Building ${name} (once, a few minutes; logs: ${QUILL_DEPS_DIR}/${name}-*.log)")
  file(MAKE_DIRECTORY "${QUILL_DEPS_DIR}")
  foreach(step configure build)
    set(log "${QUILL_DEPS_DIR}/${name}-${step}.log")
    if(step STREQUAL "configure")
      set(command ${CMAKE_COMMAND} -S ${arg_SOURCE} -B ${arg_BINARY} ${arg_ARGS})
    else()
      set(command ${CMAKE_COMMAND} --build ${arg_BINARY} --target install)
    endif()
    execute_process(COMMAND ${command} OUTPUT_FILE "${log}" ERROR_FILE "${log}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      execute_process(COMMAND tail -n 20 "${log}" OUTPUT_VARIABLE tail)
      message(FATAL_ERROR "Building ${name} failed at the ${step} step (${rc}); the last lines of "
                          "${log}:\n${tail}")
    endif()
  endforeach()
endfunction()

function(quill_fetch_source package out_var)
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/fetch-debian-source.sh ${package} ${QUILL_DEPS_DIR}/src
    OUTPUT_VARIABLE dir OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT IS_DIRECTORY "${dir}")
    message(FATAL_ERROR "Could not unpack the Debian source package ${package}")
  endif()
  set(${out_var} "${dir}" PARENT_SCOPE)
endfunction()

# zlib; linked statically into the Windows programs so they need no zlib1.dll.
if(CMAKE_CROSSCOMPILING)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

# minizip: Debian's binary packages cannot decrypt (the upstream source forces
# NOUNCRYPT), so the copy shipped in zlib's source package is compiled here with that
# definition removed.
quill_fetch_source(zlib QUILL_ZLIB_SOURCE)
set(minizip_src "${QUILL_ZLIB_SOURCE}/contrib/minizip")
set(minizip_out "${CMAKE_BINARY_DIR}/minizip")
file(MAKE_DIRECTORY "${minizip_out}")
set(uncrypt_found FALSE)
foreach(name ioapi.c ioapi.h unzip.c unzip.h zip.c zip.h crypt.h)
  file(READ "${minizip_src}/${name}" text)
  string(FIND "${text}" "#define NOUNCRYPT" at)
  if(NOT at EQUAL -1)
    set(uncrypt_found TRUE)
    string(REPLACE "#define NOUNCRYPT" "/* decryption enabled */" text "${text}")
  endif()
  file(WRITE "${minizip_out}/${name}.tmp" "${text}")
  configure_file("${minizip_out}/${name}.tmp" "${minizip_out}/${name}" COPYONLY)
endforeach()
# Without the edit the library silently refuses every encrypted entry, and every
# product with it; a source that no longer carries the definition needs a new look.
if(NOT uncrypt_found)
  message(FATAL_ERROR "minizip in ${minizip_src} has no '#define NOUNCRYPT' to remove: "
                      "decryption could not be enabled")
endif()
add_library(quill_minizip STATIC ${minizip_out}/ioapi.c ${minizip_out}/unzip.c ${minizip_out}/zip.c)
target_include_directories(quill_minizip SYSTEM PUBLIC ${minizip_out})
target_link_libraries(quill_minizip PUBLIC ZLIB::ZLIB)
target_compile_options(quill_minizip PRIVATE -w)
if(WIN32)
  target_compile_definitions(quill_minizip PRIVATE IOAPI_NO_64)
endif()
set_target_properties(quill_minizip PROPERTIES POSITION_INDEPENDENT_CODE ON)

# libjpeg-turbo, with the TurboJPEG API that quillpack's lossless transforms use.
if(CMAKE_CROSSCOMPILING)
  set(jpeg_prefix "${QUILL_DEPS_DIR}/mingw-libjpeg-turbo")
  # A cache made before TurboJPEG was part of the build lacks libturbojpeg.a.
  if(NOT EXISTS "${jpeg_prefix}/lib/libjpeg.a" OR NOT EXISTS "${jpeg_prefix}/lib/libturbojpeg.a")
    quill_fetch_source(libjpeg-turbo jpeg_source)
    quill_build_dependency(libjpeg-turbo-mingw
      SOURCE ${jpeg_source}
      BINARY ${QUILL_DEPS_DIR}/mingw-libjpeg-turbo-build
      ARGS -G Ninja
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=${jpeg_prefix}
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_SIMD=ON
        -DCMAKE_ASM_NASM_COMPILER=nasm)
  endif()
  add_library(JPEG::JPEG STATIC IMPORTED)
  set_target_properties(JPEG::JPEG PROPERTIES
    IMPORTED_LOCATION "${jpeg_prefix}/lib/libjpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${jpeg_prefix}/include")
  add_library(quill_turbojpeg STATIC IMPORTED)
  set_target_properties(quill_turbojpeg PROPERTIES
    IMPORTED_LOCATION "${jpeg_prefix}/lib/libturbojpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${jpeg_prefix}/include")
else()
  find_package(JPEG REQUIRED)
  find_path(QUILL_TURBOJPEG_INCLUDE_DIR turbojpeg.h)
  find_library(QUILL_TURBOJPEG_LIBRARY turbojpeg)
  if(NOT QUILL_TURBOJPEG_INCLUDE_DIR OR NOT QUILL_TURBOJPEG_LIBRARY)
    message(FATAL_ERROR "TurboJPEG not found (libturbojpeg0-dev)")
  endif()
  add_library(quill_turbojpeg UNKNOWN IMPORTED)
  set_target_properties(quill_turbojpeg PROPERTIES
    IMPORTED_LOCATION "${QUILL_TURBOJPEG_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QUILL_TURBOJPEG_INCLUDE_DIR}")
endif()

# libexif: the system library natively. For MinGW its Debian source package is
# compiled here directly, as minizip is: the package ships no configure script, and
# the two headers configure would write are one line each.
if(CMAKE_CROSSCOMPILING)
  quill_fetch_source(libexif exif_source)
  set(exif_out "${CMAKE_BINARY_DIR}/libexif")
  file(MAKE_DIRECTORY "${exif_out}/libexif")
  file(WRITE "${exif_out}/config.h.tmp"
       "#define GETTEXT_PACKAGE \"libexif-12\"\n#define LOCALEDIR \"\"\n")
  configure_file("${exif_out}/config.h.tmp" "${exif_out}/config.h" COPYONLY)
  file(WRITE "${exif_out}/libexif/_stdint.h.tmp" "#include <stdint.h>\n")
  configure_file("${exif_out}/libexif/_stdint.h.tmp" "${exif_out}/libexif/_stdint.h" COPYONLY)
  file(GLOB_RECURSE exif_sources "${exif_source}/libexif/*.c")
  add_library(quill_exif STATIC ${exif_sources})
  target_include_directories(quill_exif PRIVATE ${exif_out} ${exif_source}/libexif)
  target_include_directories(quill_exif SYSTEM PUBLIC ${exif_out} ${exif_source})
  target_compile_options(quill_exif PRIVATE -w)
else()
  find_path(QUILL_EXIF_INCLUDE_DIR libexif/exif-data.h)
  find_library(QUILL_EXIF_LIBRARY exif)
  if(NOT QUILL_EXIF_INCLUDE_DIR OR NOT QUILL_EXIF_LIBRARY)
    message(FATAL_ERROR "libexif not found (libexif-dev)")
  endif()
  add_library(quill_exif UNKNOWN IMPORTED)
  set_target_properties(quill_exif PROPERTIES
    IMPORTED_LOCATION "${QUILL_EXIF_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QUILL_EXIF_INCLUDE_DIR}")
endif()

# Exiv2: photo metadata for the native quillpack only (the Windows build reads EXIF
# with libexif).
if(NOT CMAKE_CROSSCOMPILING)
  find_path(QUILL_EXIV2_INCLUDE_DIR exiv2/exiv2.hpp)
  find_library(QUILL_EXIV2_LIBRARY exiv2)
  if(NOT QUILL_EXIV2_INCLUDE_DIR OR NOT QUILL_EXIV2_LIBRARY)
    message(FATAL_ERROR "Exiv2 not found (libexiv2-dev)")
  endif()
  add_library(quill_exiv2 UNKNOWN IMPORTED)
  set_target_properties(quill_exiv2 PROPERTIES
    IMPORTED_LOCATION "${QUILL_EXIV2_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QUILL_EXIV2_INCLUDE_DIR}")
endif()

# stb: header-only; the implementation is compiled in our own sources.
find_path(QUILL_STB_INCLUDE_DIR stb_image.h PATHS /usr/include/stb NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT QUILL_STB_INCLUDE_DIR)
  message(FATAL_ERROR "stb headers not found (libstb-dev)")
endif()
add_library(quill_stb INTERFACE)
target_include_directories(quill_stb SYSTEM INTERFACE ${QUILL_STB_INCLUDE_DIR})

# libvorbisenc: the tools encode music tracks natively; the engine only decodes.
if(NOT CMAKE_CROSSCOMPILING)
  find_path(QUILL_VORBIS_INCLUDE_DIR vorbis/vorbisenc.h)
  find_library(QUILL_VORBISENC_LIBRARY vorbisenc)
  find_library(QUILL_VORBIS_LIBRARY vorbis)
  find_library(QUILL_OGG_LIBRARY ogg)
  if(NOT QUILL_VORBIS_INCLUDE_DIR OR NOT QUILL_VORBISENC_LIBRARY OR NOT QUILL_VORBIS_LIBRARY
     OR NOT QUILL_OGG_LIBRARY)
    message(FATAL_ERROR "libvorbisenc not found (libvorbis-dev)")
  endif()
  add_library(quill_vorbisenc INTERFACE)
  target_include_directories(quill_vorbisenc SYSTEM INTERFACE ${QUILL_VORBIS_INCLUDE_DIR})
  target_link_libraries(quill_vorbisenc INTERFACE ${QUILL_VORBISENC_LIBRARY}
                        ${QUILL_VORBIS_LIBRARY} ${QUILL_OGG_LIBRARY} m)
endif()

# Photos with and without people for the face detection tests: scikit-image's sample
# pictures, from its Debian package.
if(QUILL_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/fetch-debian-package.sh python3-skimage ${QUILL_DEPS_DIR}/packages
    OUTPUT_VARIABLE skimage_root OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE rc)
  set(QUILL_SAMPLE_PHOTOS_DIR "${skimage_root}/usr/lib/python3/dist-packages/skimage/data")
  if(NOT rc EQUAL 0 OR NOT EXISTS "${QUILL_SAMPLE_PHOTOS_DIR}/astronaut.png")
    message(FATAL_ERROR "Could not unpack the sample photos of the Debian package python3-skimage")
  endif()
endif()

# GoogleTest and Google Benchmark
if(QUILL_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
if(QUILL_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
