# The packager, sfxpack: built natively for Linux and cross-built for
# Windows (sfxpack.exe), from the same sources. Only the *Posix.cpp and
# *Win32.cpp files of platform/ and sign/ differ, each guarded by its own
# platform.

include(cmake/SevenZipPacker.cmake)

# The packager's logic in rooms by subject, one library each, so that the
# tests link it too. A room links only the rooms below it (the build's
# include check holds the code to the same order):
#   cli -> commands -> {archive, config, pe, sign} -> platform -> core
function(sfxpack_room name)
  file(GLOB sources CONFIGURE_DEPENDS packager/${name}/*.cpp)
  add_library(sfxpack_${name} STATIC ${sources})
  target_compile_options(sfxpack_${name} PRIVATE -Wall -Wextra)
  target_link_libraries(sfxpack_${name} PUBLIC ${ARGN})
endfunction()
sfxpack_room(core orelib_core sevenzip_packer)
sfxpack_room(platform sfxpack_core)
sfxpack_room(archive sfxpack_platform)
sfxpack_room(config sfxpack_platform)
sfxpack_room(pe sfxpack_platform)
sfxpack_room(sign sfxpack_platform)
sfxpack_room(commands sfxpack_archive sfxpack_config sfxpack_pe sfxpack_sign)
sfxpack_room(cli sfxpack_commands)
# --version names the archive library's version from its own header.
set_source_files_properties(packager/cli/Version.cpp PROPERTIES INCLUDE_DIRECTORIES "${SFX_DEPS_DIR}")

add_executable(sfxpack packager/main.cpp)
target_link_libraries(sfxpack PRIVATE sfxpack_cli)
target_compile_options(sfxpack PRIVATE -Wall -Wextra)

if(WIN32)
  # A console program with a wide entry point (wmain), every library inside:
  # it depends on system DLLs only, like the stub.
  target_link_options(sfxpack PRIVATE -municode -static -s)
  # Its manifest: run as the caller, long paths where the system allows them.
  target_sources(sfxpack PRIVATE packager/sfxpack.rc)
  # The portable core is built with the stub's stack protector; the packager
  # takes the guard and its checks from the compiler's own library.
  target_link_libraries(sfxpack_core PUBLIC kernel32 ssp)
  # CryptoAPI checks the PKCS#7 half of an Authenticode signature.
  target_link_libraries(sfxpack_sign PUBLIC crypt32)
  set(SFXPACK_DIST_NAME sfxpack.exe)
else()
  # OpenSSL's libcrypto checks the PKCS#7 half of an Authenticode signature,
  # linked in like everything else.
  set(OPENSSL_USE_STATIC_LIBS TRUE)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  target_link_libraries(sfxpack_sign PUBLIC OpenSSL::Crypto)
  # Statically linked, so that it runs on build machines with an older C library.
  target_link_options(sfxpack PRIVATE -static)
  set(SFXPACK_DIST_NAME sfxpack)
endif()

add_custom_command(TARGET sfxpack POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxpack> ${SFX_DIST_DIR}/${SFXPACK_DIST_NAME})
