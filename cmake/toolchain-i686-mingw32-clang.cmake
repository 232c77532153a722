# Cross-compiles the stub for 32-bit Windows: clang 16 and lld 16 against the
# MinGW-w64 runtime and GCC's C++ library (posix thread model, DWARF-2
# unwinding, which is also clang's exception model for this target).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET   ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
# LLVM's archiver indexes the symbols of bitcode objects too (link-time optimisation).
set(CMAKE_AR     /usr/bin/llvm-ar-16)
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-16)
set(SFX_LLD /usr/bin/ld.lld-16)
set(CMAKE_LINKER ${SFX_LLD})

# Where GCC keeps its C++ headers and libraries. clang does not recognise a
# version directory named 12-posix, so both are named here (the headers in
# place of clang's own guesses, which include the build machine's).
set(SFX_GCC_DIR /usr/lib/gcc/${TOOLCHAIN_PREFIX}/12-posix)
set(CMAKE_CXX_FLAGS_INIT "-stdlib++-isystem ${SFX_GCC_DIR}/include/c++ \
-stdlib++-isystem ${SFX_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX} -stdlib++-isystem ${SFX_GCC_DIR}/include/c++/backward")
# Everything static: the programs depend on system DLLs only. -B finds GCC's
# crtbegin.o and crtend.o, -L its libraries. GCC's unwinder and C++ library
# keep per-thread data through POSIX keys and locks: GCC's driver adds their
# library for the posix thread model, clang's does not (lld searches
# libraries wherever they stand on the command line).
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "--ld-path=${SFX_LLD} -B${SFX_GCC_DIR} -L${SFX_GCC_DIR} -static -lpthread")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(WINE_EXECUTABLE wine)
if(WINE_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
endif()
