# The archive library: 7-Zip's source, built as a static library that reads
# 7z archives only, with the decoders Copy, LZMA, LZMA2, BCJ (x86), BCJ2 and
# 7zAES, and the extraction driver of its UI layer. No encoders, no other
# formats, no hashing of extracted files.
#
# Build switches of the library (they change class layouts, so every file
# that includes its headers must see the same set: they are PUBLIC):
#   Z7_SFX           the reduced extraction-only configuration of the UI layer:
#                    no archive parser, no hash handlers, no symbolic or hard
#                    links, no alternate data streams, no Zone.Identifier
#   Z7_EXTRACT_ONLY  decoders only: registrations carry no encoders
#   (no Z7_ST)       decoding uses the library's threads where the archive
#                    allows: LZMA2 streams of several chunks are decoded in
#                    parallel, and the coders of a folder (BCJ2) run as a
#                    pipeline. Its threads are plain Win32 threads.
#   Z7_LONG_PATH     output paths longer than MAX_PATH go through \\?\ names
# 7zAES stays in (Z7_NO_CRYPTO is not set): archives with encrypted file data
# are supported; the password comes from the extract callback.

set(SFX_7Z ${SFX_DEPS_DIR})

include(${CMAKE_CURRENT_LIST_DIR}/ExtractCallbackCopy.cmake)

set(SEVENZIP_SOURCES
  # C: checksums, ciphers, decoders, branch filters, allocation, CPU features
  ${SFX_7Z}/C/7zCrc.c
  ${SFX_7Z}/C/7zCrcOpt.c
  ${SFX_7Z}/C/7zStream.c
  ${SFX_7Z}/C/Aes.c
  ${SFX_7Z}/C/AesOpt.c
  ${SFX_7Z}/C/Alloc.c
  ${SFX_7Z}/C/Bcj2.c
  ${SFX_7Z}/C/Bra.c
  ${SFX_7Z}/C/Bra86.c
  ${SFX_7Z}/C/CpuArch.c
  ${SFX_7Z}/C/Lzma2Dec.c
  ${SFX_7Z}/C/Lzma2DecMt.c
  ${SFX_7Z}/C/LzmaDec.c
  ${SFX_7Z}/C/MtDec.c
  ${SFX_7Z}/C/Threads.c
  ${SFX_7Z}/C/Sha256.c
  ${SFX_7Z}/C/Sha256Opt.c

  # Common: strings, containers, conversions, wildcards
  ${SFX_7Z}/CPP/Common/IntToString.cpp
  ${SFX_7Z}/CPP/Common/MyString.cpp
  ${SFX_7Z}/CPP/Common/MyVector.cpp
  ${SFX_7Z}/CPP/Common/StringConvert.cpp
  ${SFX_7Z}/CPP/Common/StringToInt.cpp
  ${SFX_7Z}/CPP/Common/UTFConvert.cpp
  ${SFX_7Z}/CPP/Common/Wildcard.cpp

  # Windows: files, folders, names, times, property values, error texts
  ${SFX_7Z}/CPP/Windows/ErrorMsg.cpp
  ${SFX_7Z}/CPP/Windows/FileDir.cpp
  ${SFX_7Z}/CPP/Windows/FileFind.cpp
  ${SFX_7Z}/CPP/Windows/FileIO.cpp
  ${SFX_7Z}/CPP/Windows/FileName.cpp
  ${SFX_7Z}/CPP/Windows/PropVariant.cpp
  ${SFX_7Z}/CPP/Windows/PropVariantConv.cpp
  ${SFX_7Z}/CPP/Windows/Synchronization.cpp
  ${SFX_7Z}/CPP/Windows/System.cpp
  ${SFX_7Z}/CPP/Windows/TimeUtils.cpp

  # 7zip/Common: streams, coder creation, progress
  ${SFX_7Z}/CPP/7zip/Common/CreateCoder.cpp
  ${SFX_7Z}/CPP/7zip/Common/CWrappers.cpp
  ${SFX_7Z}/CPP/7zip/Common/FilePathAutoRename.cpp
  ${SFX_7Z}/CPP/7zip/Common/FileStreams.cpp
  ${SFX_7Z}/CPP/7zip/Common/FilterCoder.cpp
  ${SFX_7Z}/CPP/7zip/Common/InBuffer.cpp
  ${SFX_7Z}/CPP/7zip/Common/LimitedStreams.cpp
  ${SFX_7Z}/CPP/7zip/Common/MethodId.cpp
  ${SFX_7Z}/CPP/7zip/Common/ProgressUtils.cpp
  ${SFX_7Z}/CPP/7zip/Common/PropId.cpp
  ${SFX_7Z}/CPP/7zip/Common/StreamObjects.cpp
  ${SFX_7Z}/CPP/7zip/Common/StreamBinder.cpp
  ${SFX_7Z}/CPP/7zip/Common/StreamUtils.cpp
  ${SFX_7Z}/CPP/7zip/Common/VirtThread.cpp

  # The 7z reader
  ${SFX_7Z}/CPP/7zip/Archive/Common/CoderMixer2.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/ItemNameUtils.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/OutStreamWithCRC.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zDecode.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zExtract.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zHandler.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zHeader.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zIn.cpp

  # Decoders and their registrations
  ${SFX_7Z}/CPP/7zip/Compress/Bcj2Coder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/BcjCoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/CopyCoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Lzma2Decoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/LzmaDecoder.cpp
  ${SFX_7Z}/CPP/7zip/Crypto/7zAes.cpp
  ${SFX_7Z}/CPP/7zip/Crypto/MyAes.cpp

  # UI/Common: codec registry, wildcard selection, opening, extraction driver
  # (the extract callback is the copy made by ExtractCallbackCopy.cmake)
  ${SFX_EXTRACT_CALLBACK_COPY}
  ${SFX_7Z}/CPP/7zip/UI/Common/ArchiveOpenCallback.cpp
  ${SFX_7Z}/CPP/7zip/UI/Common/DefaultName.cpp
  ${SFX_7Z}/CPP/7zip/UI/Common/ExtractingFilePath.cpp
  ${SFX_7Z}/CPP/7zip/UI/Common/LoadCodecs.cpp
  ${SFX_7Z}/CPP/7zip/UI/Common/OpenArchive.cpp

  # Ours: the held folders and the shortcuts of the extract callback's copy,
  # the definitions of the interface IDs its headers declare, and the
  # registrations (below)
  ${CMAKE_SOURCE_DIR}/extract/library/CallbackShortcuts.cpp
  ${CMAKE_SOURCE_DIR}/extract/library/HeldFolders.cpp
  ${CMAKE_SOURCE_DIR}/extract/library/SevenZipGuids.cpp
  ${CMAKE_SOURCE_DIR}/extract/library/SevenZipRegistry.cpp
)

# The format and the decoders register themselves, and the CRC table and the
# SHA-256 code choice are prepared, from static constructors in files that
# export nothing, so the linker would never pull them out of the archive. SevenZipRegistry.cpp compiles them into one object with a symbol
# that the extraction code refers to. Linking the whole archive instead would
# keep every function of the library: the MinGW linker script keeps all
# .eh_frame sections, and with them every function they describe.
set(SEVENZIP_REGISTRATIONS
  ${SFX_7Z}/CPP/Common/CRC.cpp
  ${SFX_7Z}/CPP/Common/Sha256Prepare.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zRegister.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Bcj2Register.cpp
  ${SFX_7Z}/CPP/7zip/Compress/BcjRegister.cpp
  ${SFX_7Z}/CPP/7zip/Compress/CopyRegister.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Lzma2Register.cpp
  ${SFX_7Z}/CPP/7zip/Compress/LzmaRegister.cpp
  ${SFX_7Z}/CPP/7zip/Crypto/7zAesRegister.cpp
)
set_source_files_properties(${CMAKE_SOURCE_DIR}/extract/library/SevenZipRegistry.cpp
  PROPERTIES OBJECT_DEPENDS "${SEVENZIP_REGISTRATIONS}")

add_library(sevenzip STATIC ${SEVENZIP_SOURCES})
target_include_directories(sevenzip SYSTEM PUBLIC ${SFX_7Z})
target_include_directories(sevenzip PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(sevenzip PUBLIC
  UNICODE _UNICODE Z7_SFX Z7_EXTRACT_ONLY Z7_LONG_PATH)
# The same oldest supported Windows as the rest of the stub.
target_compile_definitions(sevenzip PRIVATE _WIN32_WINNT=0x0601 WINVER=0x0601)
# No -fdata-sections here: the zero-filled arrays (the CRC and AES tables,
# 21 KB) must stay in .bss, where they cost nothing in the file (GCC puts
# them in file-backed .data sections with it).
set(sfx_archive_flags ${SFX_SIZE_FLAGS})
list(FILTER sfx_archive_flags EXCLUDE REGEX "^-fdata-sections$")
target_compile_options(sevenzip PRIVATE ${sfx_archive_flags} -w)

# The inner loops of decoding (LZMA, the branch filters, CRC, AES) are built
# for speed: at -Os they take a third longer, and they are a few KB.
set_source_files_properties(
  ${SFX_7Z}/C/LzmaDec.c ${SFX_7Z}/C/Lzma2Dec.c ${SFX_7Z}/C/Bcj2.c ${SFX_7Z}/C/Bra86.c
  ${SFX_7Z}/C/Bra.c ${SFX_7Z}/C/7zCrc.c ${SFX_7Z}/C/7zCrcOpt.c ${SFX_7Z}/C/Aes.c ${SFX_7Z}/C/AesOpt.c
  PROPERTIES COMPILE_OPTIONS -O2)

set(SFX_ARCHIVE_LIBRARY sevenzip)

# C code that never calls back into C++ (decoders, filters, checksums,
# ciphers, allocation, CPU features) needs no unwind tables: no exception can
# pass through its frames. Without them the linker can also drop its unused
# functions, which the tables would keep. The stream helpers and the
# multi-threaded decoder call our streams and stay as they are.
set_property(SOURCE
  ${SFX_7Z}/C/LzmaDec.c ${SFX_7Z}/C/Lzma2Dec.c ${SFX_7Z}/C/Bcj2.c ${SFX_7Z}/C/Bra86.c
  ${SFX_7Z}/C/Bra.c ${SFX_7Z}/C/7zCrc.c ${SFX_7Z}/C/7zCrcOpt.c ${SFX_7Z}/C/Aes.c ${SFX_7Z}/C/AesOpt.c
  ${SFX_7Z}/C/Sha256.c ${SFX_7Z}/C/Sha256Opt.c ${SFX_7Z}/C/CpuArch.c ${SFX_7Z}/C/Alloc.c
  APPEND PROPERTY COMPILE_OPTIONS -fno-asynchronous-unwind-tables)
