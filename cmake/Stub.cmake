# The stub: a small 32-bit GUI program, statically linked, depending on
# system DLLs only. Size matters: it is added to every download.

include(cmake/PinnedToolchain.cmake)

# Optimised for size over the whole program at link time: a function nothing
# calls is gone before code is made, so no unwind entry keeps it either. No
# run-time type information: nothing uses typeid or dynamic_cast (the types
# that are thrown still get theirs, which catching needs).
set(SFX_SIZE_FLAGS -Oz -flto -ffunction-sections -fdata-sections $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
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

set(SFX_RESOURCES ${CMAKE_SOURCE_DIR}/resources/sfxstub.rc)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# Resources are compiled to the .res form and written as an object by
# scripts/write_resources.py, which stores the identical languages of a
# resource once (the English texts under five language IDs, the Spanish
# under two); the linker takes that object as it is. windres writes no
# dependency file itself; its preprocessor does, so that an edit to any
# included resource script rebuilds the resources.
set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> \
--preprocessor-arg=-MD --preprocessor-arg=-MT --preprocessor-arg=<OBJECT> \
--preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE> <SOURCE> <OBJECT>.res"
  "${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/write_resources.py <OBJECT>.res <OBJECT>")

# The image: Windows 7 (6.1) or later, relocatable (ASLR), no execution of
# data pages, aware of terminal services. The linker points the data
# directory's load-configuration entry at _load_config_used
# (framework/LoadConfig.cpp), which makes the loader take imported DLLs from
# the system folder only. It drops every function nothing calls (section GC;
# its unwind entry goes with it) and keeps one copy of functions whose code
# is identical. The link map, kept beside the stub, gives the tests the
# addresses of functions and scripts/stub_size_table.py where the stub's
# bytes come from.
#
# The stub waits 250 ms before it first opens its own file. The system
# libraries of its dialogs load during that wait when they are imported on
# first call rather than loaded before the program starts: the linker makes
# their imports delay-loaded, through the runtime's __delayLoadHelper2. Their
# loads go through the restricted DLL search that the start-up sets before
# anything calls them.
set(SFX_DELAYED_DLLS user32 gdi32 shell32 ole32 oleaut32)
find_program(SFX_NM NAMES llvm-nm-16 REQUIRED)
find_program(SFX_DLLTOOL NAMES llvm-dlltool-16 REQUIRED)
set(SFX_IMPORT_DIR ${CMAKE_CURRENT_BINARY_DIR}/delayload)
set(SFX_DELAY_OPTIONS)
set(SFX_IMPORT_LIBS)
foreach(dll ${SFX_DELAYED_DLLS})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} --target=${CMAKE_CXX_COMPILER_TARGET} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
  add_custom_command(OUTPUT ${SFX_IMPORT_DIR}/lib${dll}.a
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_IMPORT_DIR}
    COMMAND ${CMAKE_COMMAND} -DNM=${SFX_NM} -DDLLTOOL=${SFX_DLLTOOL} -DIMPORT_LIBRARY=${implib} -DDLL=${dll}.dll
            -DOUTPUT=${SFX_IMPORT_DIR}/lib${dll}.a -P ${CMAKE_SOURCE_DIR}/cmake/ShortImportLibrary.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/ShortImportLibrary.cmake ${implib}
    VERBATIM)
  list(APPEND SFX_IMPORT_LIBS ${SFX_IMPORT_DIR}/lib${dll}.a)
  list(APPEND SFX_DELAY_OPTIONS -Wl,--delayload=${dll}.dll)
endforeach()
add_custom_target(sfx_import_libs DEPENDS ${SFX_IMPORT_LIBS})
set(SFX_STUB_MAP ${CMAKE_CURRENT_BINARY_DIR}/sfxstub.map)
add_executable(sfxstub WIN32 app/WinMain.cpp framework/LoadConfig.cpp app/ProtectProcess.cpp
               ${SFX_RESOURCES})
target_compile_options(sfxstub PRIVATE ${SFX_SIZE_FLAGS} ${SFX_HARDENING_FLAGS})
target_link_options(sfxstub PRIVATE -municode -mwindows -s
  -Wl,--gc-sections -Wl,--icf=all -Wl,--Map=${SFX_STUB_MAP}
  -Wl,--require-defined=__load_config_used ${SFX_DELAY_OPTIONS}
  -Wl,--major-subsystem-version=6,--minor-subsystem-version=1
  -Wl,--major-os-version=6,--minor-os-version=1
  -Wl,--dynamicbase,--nxcompat,--tsaware)
target_link_libraries(sfxstub PRIVATE sfxruntime sfxcore)
set_target_properties(sfxstub PROPERTIES OUTPUT_NAME sfxstub LINK_DEPENDS "${SFX_IMPORT_LIBS}")
add_dependencies(sfxstub sfx_import_libs)
# The short import libraries stand in for the toolchain's under the same names.
target_link_directories(sfxstub BEFORE PRIVATE ${SFX_IMPORT_DIR})

add_custom_command(TARGET sfxstub POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxstub> ${SFX_DIST_DIR}/sfxstub.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${SFX_STUB_MAP} ${SFX_DIST_DIR}/sfxstub.map)
