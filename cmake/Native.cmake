# Native build: the packager, the native tests and the fuzzers.

file(GLOB SFXPACK_SOURCES CONFIGURE_DEPENDS packager/*.cpp)
add_executable(sfxpack ${SFXPACK_SOURCES})
target_link_libraries(sfxpack PRIVATE orelib_core)
target_compile_options(sfxpack PRIVATE -Wall -Wextra)

add_custom_command(TARGET sfxpack POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxpack> ${SFX_DIST_DIR}/sfxpack)
