# The stub's image has been checked (its size, its hardening, the load
# configuration, what the post-link steps assume of the linker's output)
# with exactly these versions: Debian 12's g++-mingw-w64-i686-posix,
# binutils-mingw-w64-i686 and mingw-w64-i686-dev. Another version may well
# link, but nobody has looked at the image it makes, so configuring stops.
# -DSFX_ALLOW_UNPINNED_TOOLCHAIN=ON goes on with a warning, for trying one.
# Debian's GCC 12.2.0 cross compiler names itself 12-posix and reports 12.0.0.
set(SFX_PINNED_GCC 12.0.0)
set(SFX_PINNED_BINUTILS 2.40)
set(SFX_PINNED_MINGW 10.0.0)
option(SFX_ALLOW_UNPINNED_TOOLCHAIN "Build the stub with a compiler, linker or runtime it was not checked with" OFF)

set(sfx_found_gcc ${CMAKE_CXX_COMPILER_VERSION})
execute_process(COMMAND ${CMAKE_LINKER} --version OUTPUT_VARIABLE sfx_ld_text ERROR_QUIET)
string(REGEX MATCH "[0-9]+\\.[0-9]+(\\.[0-9]+)?" sfx_found_binutils "${sfx_ld_text}")
set(sfx_found_mingw "")
foreach(root ${CMAKE_FIND_ROOT_PATH})
  if(EXISTS ${root}/include/_mingw_mac.h)
    file(STRINGS ${root}/include/_mingw_mac.h sfx_mingw_lines REGEX "#define __MINGW64_VERSION_(MAJOR|MINOR|BUGFIX) ")
    string(REGEX REPLACE ".*MAJOR ([0-9]+).*MINOR ([0-9]+).*BUGFIX ([0-9]+).*" "\\1.\\2.\\3"
           sfx_found_mingw "${sfx_mingw_lines}")
    break()
  endif()
endforeach()

set(sfx_unpinned "")
foreach(part GCC BINUTILS MINGW)
  string(TOLOWER ${part} name)
  if(NOT "${sfx_found_${name}}" VERSION_EQUAL "${SFX_PINNED_${part}}")
    string(APPEND sfx_unpinned "\n  ${name}: found '${sfx_found_${name}}', checked with ${SFX_PINNED_${part}}")
  endif()
endforeach()
if(sfx_unpinned)
  set(sfx_message "The stub's toolchain is not the one its image was checked with:${sfx_unpinned}
Install Debian 12's packages (scripts/install-deps.sh), or configure with
-DSFX_ALLOW_UNPINNED_TOOLCHAIN=ON to build anyway and check the image yourself
(./build.sh test runs the image test).")
  if(SFX_ALLOW_UNPINNED_TOOLCHAIN)
    message(WARNING "${sfx_message}")
  else()
    message(FATAL_ERROR "${sfx_message}")
  endif()
endif()
