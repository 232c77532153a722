# Native build: the packager, the native tests and the fuzzers.

include(cmake/SevenZipPacker.cmake)

# The packager's logic as a library, so that the native tests link it too.
file(GLOB SFXPACK_SOURCES CONFIGURE_DEPENDS packager/*.cpp)
list(FILTER SFXPACK_SOURCES EXCLUDE REGEX "/packager/main\\.cpp$")
add_library(sfxpack_core STATIC ${SFXPACK_SOURCES})
target_link_libraries(sfxpack_core PUBLIC orelib_core sevenzip_packer)
target_compile_options(sfxpack_core PRIVATE -Wall -Wextra)
# --version names the archive library's version from its own header.
set_source_files_properties(packager/Version.cpp PROPERTIES INCLUDE_DIRECTORIES "${SFX_DEPS_DIR}")

add_executable(sfxpack packager/main.cpp)
target_link_libraries(sfxpack PRIVATE sfxpack_core)
target_compile_options(sfxpack PRIVATE -Wall -Wextra)

add_custom_command(TARGET sfxpack POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxpack> ${SFX_DIST_DIR}/sfxpack)
