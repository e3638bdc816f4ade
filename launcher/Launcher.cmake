# The Windows executable: the core, its Win32 layer, the splash window and the
# resources. Statically linked so that it imports Windows system DLLs only.
set(SPLASH_GIF ${CMAKE_SOURCE_DIR}/launcher/resources/splash.gif)
set(SPLASH_GIF_CPP ${CMAKE_BINARY_DIR}/generated/SplashPicture.cpp)
add_custom_command(
  OUTPUT ${SPLASH_GIF_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${SPLASH_GIF} -DOUTPUT=${SPLASH_GIF_CPP}
          -DSYMBOL=kSplashGif -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
  DEPENDS ${SPLASH_GIF} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
  COMMENT "Embedding the splash picture")
# The picture and the splash's placement, shared with the splash floor of the
# benchmark so that it measures the same work.
add_library(splash_picture OBJECT ${SPLASH_GIF_CPP} launcher/SplashFrame.cpp)
target_compile_definitions(splash_picture PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_include_directories(splash_picture PUBLIC ${CMAKE_SOURCE_DIR})

# The seam's Win32 layer, which both programs link. Objects rather than an
# archive, so that the end without the library's report replaces the
# library's own.
add_library(win32_platform OBJECT win32/Win32Platform.cpp win32/TerminateHandler.cpp
  win32/FolderIdentity.cpp win32/Win32Folders.cpp
  win32/Win32Copies.cpp win32/Win32Restart.cpp)
target_link_libraries(win32_platform PUBLIC shared_core)

enable_language(RC)
add_executable(DovernProfessionalSMSServer WIN32
  launcher/WinMain.cpp
  launcher/SplashWindow.cpp
  launcher/SplashImage.cpp
  launcher/resources/launcher.rc
)
target_link_libraries(DovernProfessionalSMSServer PRIVATE win32_platform launcher_core
  splash_picture uuid gdi32 user32 advapi32)

# The installer's helper: the launcher's search and copies, elevated.
add_executable(PrepareJava WIN32
  preparejava/PrepareJavaMain.cpp
  preparejava/resources/PrepareJava.rc
)
target_link_libraries(PrepareJava PRIVATE preparejava_core win32_platform shared_core
  advapi32)
# GCC 12's link-time optimisation stops on this program with an internal
# compiler error (binds_to_current_def_p, in its alias analysis of clones):
# it is linked from the objects' plain code instead.
target_link_options(PrepareJava PRIVATE -fno-lto)
# The icon's raw resources lie with the launcher's.
set_source_files_properties(preparejava/resources/PrepareJava.rc PROPERTIES
  INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/launcher/resources;${CMAKE_SOURCE_DIR}/preparejava/resources"
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/preparejava/resources/PrepareJava.manifest")

foreach(program DovernProfessionalSMSServer PrepareJava)
  target_link_options(${program} PRIVATE
    -municode -static -static-libgcc -static-libstdc++ -s -Wl,--no-insert-timestamp)
endforeach()
# The executables inherit these through shared_core.
target_compile_definitions(shared_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

include(${CMAKE_SOURCE_DIR}/cmake/Packaging.cmake)

add_subdirectory(tests/wine)
add_subdirectory(tests/bench)
