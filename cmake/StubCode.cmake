# The stub's code: everything but its entry point, built by both Windows
# trees. The stub's own tree (clang, cmake/Stub.cmake) links the stub from
# it; the test tree (GCC) links the unit tests and the test tools from the
# same sources.

include(cmake/PinnedToolchain.cmake)

# C++20: in that mode GCC's C++ library declares no explicit instantiations
# of std::basic_string, so every string function the code calls is made by
# the compiler that builds it. Under C++17 the stub's clang-built code and
# the library's GCC-built string functions would call each other, and the
# two compilers disagree on how a function with an empty class argument
# (std::forward_iterator_tag) is called on 32-bit x86: GCC gives it a stack
# slot, clang none, so the callee pops 4 bytes more or fewer than the caller
# pushed. scripts/check_one_compiler.py fails the stub's link if any function
# is still made by both. (Set on each of the stub's targets below.)
set(SFX_STUB_CXX_STANDARD 20)

# No run-time type information: nothing uses typeid or dynamic_cast (the
# types that are thrown still get theirs, which catching needs).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Optimised for size over the whole program at link time: a function
  # nothing calls is gone before code is made, so no unwind entry keeps it
  # either.
  set(SFX_SIZE_FLAGS -Oz -flto -ffunction-sections -fdata-sections $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
else()
  set(SFX_SIZE_FLAGS -Os -ffunction-sections -fdata-sections $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
endif()
# No link time in any image's header: the same sources give the same bytes,
# so the stub and the programs packed with it are reproducible.
add_link_options(-Wl,--no-insert-timestamp)
# A guard value in every frame that holds an array or a local whose address
# is taken, checked on return; checked forms of the string and memory
# functions where the buffer size is known when compiling. The guard and the
# failure handlers are our own (orelib/win32/StackGuard.cpp); libssp supplies
# only the checked functions.
set(SFX_HARDENING_FLAGS -fstack-protector-strong -D_FORTIFY_SOURCE=2)
target_compile_options(orelib_core PRIVATE ${SFX_SIZE_FLAGS} ${SFX_HARDENING_FLAGS})
target_compile_definitions(orelib_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                           _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)

include(cmake/SevenZip.cmake)
# The archive reader: the guard only in frames that hold character arrays,
# where an overrun of its buffers would land. The strong form there would add
# another 7.5 KB to every download.
target_compile_options(sevenzip PRIVATE -fstack-protector -D_FORTIFY_SOURCE=2)

# Everything of the stub but its entry point, so that the tests link the same code.
file(GLOB SFX_CORE_SOURCES CONFIGURE_DEPENDS
     orelib/win32/*.cpp framework/*.cpp app/*.cpp extract/*.cpp dialog/*.cpp)
list(FILTER SFX_CORE_SOURCES EXCLUDE REGEX "/(app/WinMain|framework/LoadConfig|framework/Runtime[A-Za-z]+|framework/PosixThreads|app/ProtectProcess)\\.cpp$")
add_library(sfxcore STATIC ${SFX_CORE_SOURCES})
target_include_directories(sfxcore PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(sfxcore PRIVATE ${SFX_SIZE_FLAGS} ${SFX_HARDENING_FLAGS}
                       -Wall -Wextra -Wno-unused-parameter)
target_link_libraries(sfxcore PUBLIC orelib_core ${SFX_ARCHIVE_LIBRARY} ssp
                      comctl32 ole32 oleaut32 uuid shell32 shlwapi gdi32 user32 advapi32 kernel32)

# Our own versions of pieces of the C++ run-time that the stub's static link
# would otherwise take from libraries many times their size. Object files,
# not an archive: an object is always in the link, so the library members
# that define the same functions are never taken.
add_library(sfxruntime OBJECT framework/RuntimeThrows.cpp framework/RuntimeStatics.cpp
            framework/RuntimeExceptionState.cpp framework/PosixThreads.cpp)
target_compile_options(sfxruntime PRIVATE ${SFX_SIZE_FLAGS} ${SFX_HARDENING_FLAGS} -Wall -Wextra)

set_target_properties(orelib_core sevenzip sfxcore sfxruntime PROPERTIES CXX_STANDARD ${SFX_STUB_CXX_STANDARD})

set(SFX_RESOURCES ${CMAKE_SOURCE_DIR}/resources/sfxstub.rc)
