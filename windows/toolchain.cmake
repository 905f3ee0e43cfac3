# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers. The
# posix variant: the win32-threads one has no std::mutex or std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVEL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVEL_MINGW}-windres)

# Libraries and headers of the target only (the compiler's own, and the
# static libraries that scripts/windows builds into ORVEL_WINDOWS_LIBS);
# programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVEL_MINGW} ${ORVEL_WINDOWS_LIBS})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVEL_WINDOWS_LIBS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
