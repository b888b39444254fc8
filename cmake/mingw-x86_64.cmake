# Cross-compiles the sources as 64-bit Windows executables with mingw-w64:
# the main build on machines that run no 32-bit code (scripts/common.sh).
# The program users get is the 32-bit build (mingw-i686.cmake).
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
