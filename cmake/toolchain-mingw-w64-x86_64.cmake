# Cross-compiles for 64-bit Windows with Debian's mingw-w64 toolchain (posix threads, which
# std::thread and std::mutex need). Libraries come from the prefix scripts/windows-build fills.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KALIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KALIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KALIX_MINGW_TRIPLE}-windres)

# The environment reaches try_compile projects too, where cache variables do not.
if(DEFINED ENV{KALIX_WINDOWS_PREFIX})
    set(KALIX_WINDOWS_PREFIX "$ENV{KALIX_WINDOWS_PREFIX}")
else()
    set(KALIX_WINDOWS_PREFIX "$ENV{HOME}/.cache/kalix-windows/prefix")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${KALIX_MINGW_TRIPLE} ${KALIX_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
