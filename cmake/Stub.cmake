# The stub: a small 32-bit GUI program, statically linked, depending on
# system DLLs only. Size matters: it is added to every download. Built in a
# tree of its own by clang and lld (cmake/toolchain-i686-mingw32-clang.cmake),
# which cmake/StubTree.cmake configures from the test tree.

include(cmake/StubCode.cmake)

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
set_target_properties(sfxstub PROPERTIES OUTPUT_NAME sfxstub LINK_DEPENDS "${SFX_IMPORT_LIBS}"
                      CXX_STANDARD ${SFX_STUB_CXX_STANDARD})
add_dependencies(sfxstub sfx_import_libs)
# The short import libraries stand in for the toolchain's under the same names.
target_link_directories(sfxstub BEFORE PRIVATE ${SFX_IMPORT_DIR})

# The image is refused when a C++ function in it is made by both clang and
# GCC's libraries (cmake/StubCode.cmake says why); only then is it copied.
add_custom_command(TARGET sfxstub POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check_one_compiler.py ${SFX_NM} ${SFX_STUB_MAP}
          --gcc ${SFX_GCC_DIR}/libstdc++.a ${SFX_GCC_DIR}/libgcc.a ${SFX_GCC_DIR}/libgcc_eh.a
          --clang $<TARGET_FILE:sevenzip> $<TARGET_FILE:orelib_core> $<TARGET_FILE:sfxcore>
                  $<TARGET_OBJECTS:sfxruntime> $<TARGET_OBJECTS:sfxstub>
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxstub> ${SFX_DIST_DIR}/sfxstub.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${SFX_STUB_MAP} ${SFX_DIST_DIR}/sfxstub.map
  VERBATIM COMMAND_EXPAND_LISTS)
