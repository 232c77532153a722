# The library's extract callback, compiled from a copy that
#   - writes below the target only through the run's held folders
#     (extract/library/HeldFolders.h): folders are made or entered, files
#     made and removed, folder times set relative to a held folder, never by
#     path, so that no link below the target is ever written through;
#   - takes the two shortcuts of extract/library/CallbackShortcuts.h around
#     each new file: before its existence check, NameIsSurelyAbsent, and the
#     check only when that is not true; before closing the file, the stored
#     attributes set through the handle, and by path after the close only
#     when that failed.
# Each change replaces a text that must be in the library's file exactly
# once: configuring fails if it has changed, rather than building the
# callback without the change. Sets SFX_EXTRACT_CALLBACK_COPY.

set(SFX_EXTRACT_CALLBACK ${SFX_7Z}/CPP/7zip/UI/Common/ArchiveExtractCallback.cpp)
set(SFX_EXTRACT_CALLBACK_COPY ${CMAKE_BINARY_DIR}/sevenzip/ArchiveExtractCallback.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SFX_EXTRACT_CALLBACK})
file(READ ${SFX_EXTRACT_CALLBACK} sfx_callback)

function(sfx_callback_replace what old new)
  string(FIND "${sfx_callback}" "${old}" first)
  string(FIND "${sfx_callback}" "${old}" last REVERSE)
  if(first EQUAL -1 OR NOT first EQUAL last)
    message(FATAL_ERROR "${SFX_EXTRACT_CALLBACK}: ${what} is not there exactly once; "
      "the stub's copy of the extract callback cannot be made")
  endif()
  string(REPLACE "${old}" "${new}" changed "${sfx_callback}")
  set(sfx_callback "${changed}" PARENT_SCOPE)
endfunction()

sfx_callback_replace("the include of its own header"
  "#include \"ArchiveExtractCallback.h\"\n"
  "#include \"ArchiveExtractCallback.h\"\n#include \"extract/library/CallbackShortcuts.h\"\n\
#include \"extract/library/HeldFolders.h\"\n")
sfx_callback_replace("the making of each folder" "CreateDir(fullPath)"
  "EnterFolderBelowTarget(_extractCallback2, fullPath)")
sfx_callback_replace("the removal of a folder in a file's place" "RemoveDir(fullProcessedPath)"
  "RemoveFolderBelowTarget(_extractCallback2, fullProcessedPath)")
sfx_callback_replace("the removal of a file to overwrite" "DeleteFileAlways(fullProcessedPath)"
  "DeleteFileBelowTarget(_extractCallback2, fullProcessedPath)")
sfx_callback_replace("the making of each file"
  "_outFileStreamSpec->Create_ALWAYS_or_Open_ALWAYS(fullProcessedPath, !_isSplit)"
  "CreateFileBelowTarget(_extractCallback2, *_outFileStreamSpec, fullProcessedPath, !_isSplit)")
sfx_callback_replace("the times of a new folder" "pt.SetDirTime_to_FS_2();"
  "SetFolderTimesBelowTarget(_extractCallback2, pt);")
sfx_callback_replace("the times of the folders at the end" "dpt.SetDirTime_to_FS_2()"
  "SetFolderTimesBelowTarget(_extractCallback2, dpt)")
sfx_callback_replace("the existence check before a new file"
  "  if (fileInfo.Find(fullProcessedPath))\n"
  "  if (!NameIsSurelyAbsent(fullProcessedPath) && fileInfo.Find(fullProcessedPath))\n")
# The conditions are those under which the callback sets attributes by path.
sfx_callback_replace("the close of a new file"
  "  RINOK(_outFileStreamSpec->Close())\n"
  "  if (_needSetAttrib && !_itemFailure && !_diskFilePath.IsEmpty() && !_stdOutMode && _extractMode
      && _fi.Attrib_Defined
      && SetAttributesThroughHandle(_outFileStreamSpec->File.GetHandle(), _fi.Attrib))
    _needSetAttrib = false;
  RINOK(_outFileStreamSpec->Close())\n")

file(WRITE ${CMAKE_BINARY_DIR}/sevenzip/ArchiveExtractCallback.cpp.new "${sfx_callback}")
configure_file(${CMAKE_BINARY_DIR}/sevenzip/ArchiveExtractCallback.cpp.new ${SFX_EXTRACT_CALLBACK_COPY} COPYONLY)
# Its relative includes name the library's folders, from the original's.
set_source_files_properties(${SFX_EXTRACT_CALLBACK_COPY} PROPERTIES
  COMPILE_OPTIONS "-iquote${SFX_7Z}/CPP/7zip/UI/Common")
