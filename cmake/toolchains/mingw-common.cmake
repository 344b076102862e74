# Cross-compiling the Windows control with mingw-w64, the win32 thread model
# variants of gcc, for the processor MINGW_ARCH (i686 or x86_64) that the
# toolchain file including this sets.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})
set(CMAKE_C_COMPILER ${MINGW_ARCH}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_ARCH}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_ARCH}-w64-mingw32-windres)
# Libraries built for the target (libjpeg) are installed under VELLUMARK_WINDOWS_DEPS.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_ARCH}-w64-mingw32 ${VELLUMARK_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
