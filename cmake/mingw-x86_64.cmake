set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The win32 thread model: its runtime needs no winpthread, which the posix
# model links into every static program. Nothing here starts a thread.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Each function and object in its own section, so that the linker drops what
# nothing references; link-time optimisation across the launcher's objects.
# Fat objects: PrepareJava.exe is linked without link-time optimisation
# (launcher/Launcher.cmake).
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections -flto -ffat-lto-objects")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-flto -Wl,--gc-sections")
