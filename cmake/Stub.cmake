# The stub: a small 32-bit GUI program, statically linked, depending on
# system DLLs only. Size matters: it is added to every download.

set(SFX_SIZE_FLAGS -Os -ffunction-sections -fdata-sections)
target_compile_options(orelib_core PRIVATE ${SFX_SIZE_FLAGS})
target_compile_definitions(orelib_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                           _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)

include(cmake/SevenZip.cmake)

# Everything of the stub but its entry point, so that the tests link the same code.
file(GLOB SFX_CORE_SOURCES CONFIGURE_DEPENDS
     orelib/win32/*.cpp framework/*.cpp app/*.cpp extract/*.cpp dialog/*.cpp)
list(FILTER SFX_CORE_SOURCES EXCLUDE REGEX "/(framework/WinMain|app/TheApp)\\.cpp$")
add_library(sfxcore STATIC ${SFX_CORE_SOURCES})
target_include_directories(sfxcore PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(sfxcore PRIVATE ${SFX_SIZE_FLAGS} -Wall -Wextra -Wno-unused-parameter)
target_link_libraries(sfxcore PUBLIC orelib_core ${SFX_ARCHIVE_LIBRARY}
                      comctl32 ole32 oleaut32 uuid shell32 shlwapi gdi32 user32 advapi32 kernel32)

set(SFX_RESOURCES ${CMAKE_SOURCE_DIR}/resources/sfxstub.rc)
# windres writes no dependency file itself; its preprocessor does, so that an
# edit to any included resource script rebuilds the resources.
set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> -O coff <DEFINES> <INCLUDES> <FLAGS> \
--preprocessor-arg=-MD --preprocessor-arg=-MT --preprocessor-arg=<OBJECT> \
--preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE> <SOURCE> <OBJECT>")

add_executable(sfxstub WIN32 framework/WinMain.cpp app/TheApp.cpp ${SFX_RESOURCES})
target_compile_options(sfxstub PRIVATE ${SFX_SIZE_FLAGS})
# The map tells where the stub's bytes come from (scripts/stub_size_table.py).
target_link_options(sfxstub PRIVATE -municode -mwindows -Wl,--gc-sections -s
                    -Wl,-Map=${CMAKE_BINARY_DIR}/sfxstub.map)
target_link_libraries(sfxstub PRIVATE sfxcore)
set_target_properties(sfxstub PROPERTIES OUTPUT_NAME sfxstub)

add_custom_command(TARGET sfxstub POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SFX_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sfxstub> ${SFX_DIST_DIR}/sfxstub.exe)
