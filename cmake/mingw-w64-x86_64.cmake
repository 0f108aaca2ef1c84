# Toolchain for the 64-bit Windows build with Debian's MinGW-w64 cross compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILL_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model gives std::thread and std::mutex; the static runtime keeps
# the program a single file.
find_program(CMAKE_C_COMPILER NAMES ${QUILL_MINGW_TRIPLE}-gcc-posix ${QUILL_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUILL_MINGW_TRIPLE}-g++-posix ${QUILL_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUILL_MINGW_TRIPLE}-windres REQUIRED)
set(CMAKE_ASM_NASM_OBJECT_FORMAT win64)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No CMAKE_CROSSCOMPILING_EMULATOR here: the Wine wrapper needs the bench's folder as
# its first argument, which only the test tree knows (cmake/WineBench.cmake sets it
# for the targets under tests/).
