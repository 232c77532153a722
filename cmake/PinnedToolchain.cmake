# The Windows programs have been checked with exactly these versions of
# Debian 12's packages: the stub's image (its size, its hardening, the load
# configuration, the delay-load table) with clang-16 and lld-16, the C++
# library of g++-mingw-w64-i686-posix, mingw-w64-i686-dev and the resource
# compiler of binutils-mingw-w64-i686; the tests, test tools and the Windows
# packager with g++-mingw-w64-i686-posix and binutils-mingw-w64-i686. Another
# version may well build, but nobody has looked at what it makes, so
# configuring stops. -DSFX_ALLOW_UNPINNED_TOOLCHAIN=ON goes on with a
# warning, for trying one.
set(SFX_PINNED_CLANG 16.0.6)
set(SFX_PINNED_LLD 16.0.6)
# GCC 12.2's C++ library, dated by its own __GLIBCXX__.
set(SFX_PINNED_LIBSTDCXX 20220819)
set(SFX_PINNED_MINGW 10.0.0)
set(SFX_PINNED_WINDRES 2.40)
# Debian's GCC 12.2.0 cross compiler names itself 12-posix and reports 12.0.0.
set(SFX_PINNED_GCC 12.0.0)
set(SFX_PINNED_BINUTILS 2.40)
option(SFX_ALLOW_UNPINNED_TOOLCHAIN "Build the stub with a compiler, linker or runtime it was not checked with" OFF)

function(sfx_version_of out regex text)
  string(REGEX MATCH "${regex}" match "${text}")
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(sfx_pinned_parts CLANG LLD LIBSTDCXX MINGW WINDRES)
  set(sfx_found_clang ${CMAKE_CXX_COMPILER_VERSION})
  execute_process(COMMAND ${CMAKE_LINKER} --version OUTPUT_VARIABLE sfx_text ERROR_QUIET)
  sfx_version_of(sfx_found_lld "LLD ([0-9]+\\.[0-9]+\\.[0-9]+)" "${sfx_text}")
else()
  set(sfx_pinned_parts GCC BINUTILS MINGW)
  set(sfx_found_gcc "")
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(sfx_found_gcc ${CMAKE_CXX_COMPILER_VERSION})
  endif()
  execute_process(COMMAND ${CMAKE_LINKER} --version OUTPUT_VARIABLE sfx_text ERROR_QUIET)
  sfx_version_of(sfx_found_binutils "([0-9]+\\.[0-9]+(\\.[0-9]+)?)" "${sfx_text}")
endif()
execute_process(COMMAND ${CMAKE_RC_COMPILER} --version OUTPUT_VARIABLE sfx_text ERROR_QUIET)
sfx_version_of(sfx_found_windres "([0-9]+\\.[0-9]+(\\.[0-9]+)?)" "${sfx_text}")
set(sfx_found_libstdcxx "")
if(EXISTS ${SFX_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX}/bits/c++config.h)
  file(STRINGS ${SFX_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX}/bits/c++config.h sfx_text REGEX "#define __GLIBCXX__ ")
  sfx_version_of(sfx_found_libstdcxx "([0-9]+)" "${sfx_text}")
endif()
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
foreach(part ${sfx_pinned_parts})
  string(TOLOWER ${part} name)
  if(NOT "${sfx_found_${name}}" VERSION_EQUAL "${SFX_PINNED_${part}}")
    string(APPEND sfx_unpinned "\n  ${name}: found '${sfx_found_${name}}', checked with ${SFX_PINNED_${part}}")
  endif()
endforeach()
if(sfx_unpinned)
  set(sfx_message "This toolchain is not the one the Windows programs were checked with:${sfx_unpinned}
Install Debian 12's packages (scripts/install-deps.sh: clang-16, lld-16,
g++-mingw-w64-i686-posix, mingw-w64-i686-dev, binutils-mingw-w64-i686), or
configure with -DSFX_ALLOW_UNPINNED_TOOLCHAIN=ON to build anyway and check
the image yourself (./build.sh test runs the image test).")
  if(SFX_ALLOW_UNPINNED_TOOLCHAIN)
    message(WARNING "${sfx_message}")
  else()
    message(FATAL_ERROR "${sfx_message}")
  endif()
endif()
