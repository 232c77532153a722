# The stub: a small 32-bit GUI program, statically linked, depending on
# system DLLs only. Size matters: it is added to every download.

include(cmake/PinnedToolchain.cmake)

# No run-time type information: nothing uses typeid or dynamic_cast (the
# types that are thrown still get theirs, which catching needs).
set(SFX_SIZE_FLAGS -Os -ffunction-sections -fdata-sections $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
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
# not an archive: they must be in the link before the libraries that call
# them are searched.
add_library(sfxruntime OBJECT framework/RuntimeThrows.cpp framework/RuntimeStatics.cpp
            framework/RuntimeExceptionState.cpp framework/PosixThreads.cpp)
target_compile_options(sfxruntime PRIVATE ${SFX_SIZE_FLAGS} ${SFX_HARDENING_FLAGS} -Wall -Wextra)

set(SFX_RESOURCES ${CMAKE_SOURCE_DIR}/resources/sfxstub.rc)
# windres writes no dependency file itself; its preprocessor does, so that an
# edit to any included resource script rebuilds the resources.
set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> -O coff <DEFINES> <INCLUDES> <FLAGS> \
--preprocessor-arg=-MD --preprocessor-arg=-MT --preprocessor-arg=<OBJECT> \
--preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE> <SOURCE> <OBJECT>")

# The image: Windows 7 (6.1) or later, relocatable (ASLR), no execution of
# data pages, aware of terminal services; the load configuration
# (framework/LoadConfig.cpp) makes the loader take imported DLLs from the
# system folder only. The link map, kept beside the stripped stub, gives the
# post-link step the configuration's address, the tests the addresses of
# functions, and scripts/stub_size_table.py where the stub's bytes come from.
set(SFX_STUB_MAP ${CMAKE_CURRENT_BINARY_DIR}/sfxstub.map)
add_executable(sfxstub WIN32 app/WinMain.cpp framework/LoadConfig.cpp app/ProtectProcess.cpp
               ${SFX_RESOURCES})
target_compile_options(sfxstub PRIVATE ${SFX_SIZE_FLAGS} ${SFX_HARDENING_FLAGS})
target_link_options(sfxstub PRIVATE -municode -mwindows -Wl,--gc-sections -s
  -Wl,--require-defined=__load_config_used -Wl,-Map=${SFX_STUB_MAP}
  -Wl,--major-subsystem-version=6,--minor-subsystem-version=1
  -Wl,--major-os-version=6,--minor-os-version=1
  -Wl,--dynamicbase,--nxcompat,--tsaware)
target_link_libraries(sfxstub PRIVATE sfxruntime sfxcore)
set_target_properties(sfxstub PROPERTIES OUTPUT_NAME sfxstub)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The stub waits 250 ms before it first opens its own file. The system
# libraries of its dialogs load during that wait when they are imported on
# first call rather than loaded before the program starts: the stub links
# delay-load libraries of its own (scripts/make_delay_lib.py) under their
# usual names. Their loads go through the restricted DLL search that the
# start-up sets before anything calls them.
set(SFX_DELAYED_DLLS user32 gdi32 shell32 ole32 oleaut32)
find_program(SFX_NM NAMES i686-w64-mingw32-nm REQUIRED)
find_program(SFX_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
set(SFX_DELAY_DIR ${CMAKE_CURRENT_BINARY_DIR}/delayload)
set(SFX_DELAY_LIBS)
foreach(dll ${SFX_DELAYED_DLLS})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
  add_custom_command(OUTPUT ${SFX_DELAY_DIR}/lib${dll}.a
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DELAY_DIR}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_delay_lib.py
            ${SFX_NM} ${SFX_DLLTOOL} ${implib} ${dll}.dll ${SFX_DELAY_DIR}/lib${dll}.a
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_delay_lib.py ${implib}
    VERBATIM)
  list(APPEND SFX_DELAY_LIBS ${SFX_DELAY_DIR}/lib${dll}.a)
endforeach()
add_custom_target(sfx_delay_libs DEPENDS ${SFX_DELAY_LIBS})
add_dependencies(sfxstub sfx_delay_libs)
target_link_directories(sfxstub BEFORE PRIVATE ${SFX_DELAY_DIR})
# Calls into those DLLs go to each function's own thunk, not through its
# address slot: the linker drops the thunk of an import that it sees reached
# through the slot only, and the slot would then hold 0. The system headers
# declare the functions without dllimport when they think they are building
# the DLL itself; the other programs that link these objects reach the usual
# import libraries' thunks the same way.
foreach(target sevenzip orelib_core sfxcore sfxruntime sfxstub)
  target_compile_definitions(${target} PRIVATE _USER32_ _GDI32_ _SHELL32_ _OLE32_ _OLEAUT32_)
endforeach()

# Every C++ function of the stub with its unwind entry in a section of its
# own, so that the link can drop both when nothing calls the function
# (scripts/compile_split.py); the header each such entry brings is shared
# again after the link (scripts/share_unwind_headers.py).
set_target_properties(sevenzip orelib_core sfxcore sfxruntime sfxstub PROPERTIES
  CXX_COMPILER_LAUNCHER "${Python3_EXECUTABLE};${CMAKE_SOURCE_DIR}/scripts/compile_split.py")
# Linked in rounds, so that unused functions and their unwind entries are
# dropped like any unused code (scripts/link_stub.py).
set_target_properties(sfxstub PROPERTIES
  RULE_LAUNCH_LINK "${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/link_stub.py"
  LINK_DEPENDS "${CMAKE_SOURCE_DIR}/scripts/link_stub.py;${SFX_DELAY_LIBS}")
# Identical resource data (the English texts under five language IDs, the
# Spanish ones under two) is stored once: scripts/share_resource_data.py;
# so is each distinct unwind header: scripts/share_unwind_headers.py.
add_custom_command(TARGET sfxstub POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/share_resource_data.py
          $<TARGET_FILE:sfxstub>
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/share_unwind_headers.py
          $<TARGET_FILE:sfxstub>
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/set_load_config.py
          $<TARGET_FILE:sfxstub> ${SFX_STUB_MAP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxstub> ${SFX_DIST_DIR}/sfxstub.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${SFX_STUB_MAP} ${SFX_DIST_DIR}/sfxstub.map)
