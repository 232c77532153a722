# Writes an import library in the short form (one small member per function,
# naming the DLL and the import) for everything the toolchain's own import
# library of that DLL imports. The linker delay-loads imports only from
# libraries of this form; MinGW-w64 ships the long form, whose members are
# ready-made import-table pieces.
#
#   cmake -DNM=llvm-nm -DDLLTOOL=llvm-dlltool -DIMPORT_LIBRARY=libuser32.a
#         -DDLL=user32.dll -DOUTPUT=dir/libuser32.a -P ShortImportLibrary.cmake
execute_process(COMMAND ${NM} --defined-only --just-symbol-name ${IMPORT_LIBRARY}
                OUTPUT_VARIABLE symbols ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
# __imp__Name@N: the address slot of the function _Name@N.
string(REGEX MATCHALL "(^|\n)__imp__[^\n]+" slots "${symbols}")
set(names "")
foreach(slot ${slots})
  string(REGEX REPLACE "^\n?__imp__" "" name "${slot}")
  list(APPEND names ${name})
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)
if(NOT names)
  message(FATAL_ERROR "${IMPORT_LIBRARY} imports nothing")
endif()
list(JOIN names "\n" exports)
file(WRITE ${OUTPUT}.def "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
file(REMOVE ${OUTPUT})
# -k: imported by the undecorated name (MessageBoxW, not MessageBoxW@16),
# as the system DLLs export them.
execute_process(COMMAND ${DLLTOOL} -m i386 -k -d ${OUTPUT}.def -l ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
