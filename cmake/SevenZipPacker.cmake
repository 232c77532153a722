# The archive library for the packager (native and Windows builds): 7-Zip's 7z
# handler with its writer, the encoders and decoders for Copy, LZMA, LZMA2,
# BCJ (x86), BCJ2 and 7zAES, multi-threaded. Built from the same source as
# the stub's decoders-only library, but with the full (not the reduced
# extraction-only) configuration: no Z7_SFX, Z7_EXTRACT_ONLY or Z7_ST.
#
# The library's random generator (Crypto/RandGen.cpp) is not built: the
# packager supplies its own (packager/library/PackerRandom.cpp), so that the
# 7zAES IV of a password build can be derived from its inputs.

set(SFX_7Z ${SFX_DEPS_DIR})

set(SEVENZIP_PACKER_SOURCES
  # C: checksums, ciphers, match finders, coders, filters, threads
  ${SFX_7Z}/C/7zCrc.c
  ${SFX_7Z}/C/7zCrcOpt.c
  ${SFX_7Z}/C/7zStream.c
  ${SFX_7Z}/C/Aes.c
  ${SFX_7Z}/C/AesOpt.c
  ${SFX_7Z}/C/Alloc.c
  ${SFX_7Z}/C/Bcj2.c
  ${SFX_7Z}/C/Bcj2Enc.c
  ${SFX_7Z}/C/Bra.c
  ${SFX_7Z}/C/Bra86.c
  ${SFX_7Z}/C/CpuArch.c
  ${SFX_7Z}/C/LzFind.c
  ${SFX_7Z}/C/LzFindMt.c
  ${SFX_7Z}/C/LzFindOpt.c
  ${SFX_7Z}/C/Lzma2Dec.c
  ${SFX_7Z}/C/Lzma2DecMt.c
  ${SFX_7Z}/C/Lzma2Enc.c
  ${SFX_7Z}/C/LzmaDec.c
  ${SFX_7Z}/C/LzmaEnc.c
  ${SFX_7Z}/C/MtCoder.c
  ${SFX_7Z}/C/MtDec.c
  ${SFX_7Z}/C/Sha1.c
  ${SFX_7Z}/C/Sha1Opt.c
  ${SFX_7Z}/C/Sha256.c
  ${SFX_7Z}/C/Sha256Opt.c
  ${SFX_7Z}/C/Sha512.c
  ${SFX_7Z}/C/Sha512Opt.c
  ${SFX_7Z}/C/Threads.c

  # Common: strings, containers, conversions, the POSIX stand-ins for COM
  ${SFX_7Z}/CPP/Common/IntToString.cpp
  ${SFX_7Z}/CPP/Common/MyString.cpp
  ${SFX_7Z}/CPP/Common/MyVector.cpp
  ${SFX_7Z}/CPP/Common/MyWindows.cpp
  ${SFX_7Z}/CPP/Common/NewHandler.cpp
  ${SFX_7Z}/CPP/Common/StringConvert.cpp
  ${SFX_7Z}/CPP/Common/StringToInt.cpp
  ${SFX_7Z}/CPP/Common/UTFConvert.cpp
  ${SFX_7Z}/CPP/Common/Wildcard.cpp

  # Windows: property values, threads and events, times, files
  ${SFX_7Z}/CPP/Windows/FileDir.cpp
  ${SFX_7Z}/CPP/Windows/FileFind.cpp
  ${SFX_7Z}/CPP/Windows/FileIO.cpp
  ${SFX_7Z}/CPP/Windows/FileName.cpp
  ${SFX_7Z}/CPP/Windows/PropVariant.cpp
  ${SFX_7Z}/CPP/Windows/PropVariantConv.cpp
  ${SFX_7Z}/CPP/Windows/Synchronization.cpp
  ${SFX_7Z}/CPP/Windows/System.cpp
  ${SFX_7Z}/CPP/Windows/TimeUtils.cpp

  # 7zip/Common: streams, coder creation, method properties, progress
  ${SFX_7Z}/CPP/7zip/Common/CreateCoder.cpp
  ${SFX_7Z}/CPP/7zip/Common/CWrappers.cpp
  ${SFX_7Z}/CPP/7zip/Common/FileStreams.cpp
  ${SFX_7Z}/CPP/7zip/Common/FilterCoder.cpp
  ${SFX_7Z}/CPP/7zip/Common/InBuffer.cpp
  ${SFX_7Z}/CPP/7zip/Common/InOutTempBuffer.cpp
  ${SFX_7Z}/CPP/7zip/Common/LimitedStreams.cpp
  ${SFX_7Z}/CPP/7zip/Common/MethodId.cpp
  ${SFX_7Z}/CPP/7zip/Common/MethodProps.cpp
  ${SFX_7Z}/CPP/7zip/Common/OutBuffer.cpp
  ${SFX_7Z}/CPP/7zip/Common/ProgressUtils.cpp
  ${SFX_7Z}/CPP/7zip/Common/PropId.cpp
  ${SFX_7Z}/CPP/7zip/Common/StreamBinder.cpp
  ${SFX_7Z}/CPP/7zip/Common/StreamObjects.cpp
  ${SFX_7Z}/CPP/7zip/Common/StreamUtils.cpp
  ${SFX_7Z}/CPP/7zip/Common/UniqBlocks.cpp
  ${SFX_7Z}/CPP/7zip/Common/VirtThread.cpp

  # The 7z handler: reader and writer
  ${SFX_7Z}/CPP/7zip/Archive/Common/CoderMixer2.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/HandlerOut.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/InStreamWithCRC.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/ItemNameUtils.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/OutStreamWithCRC.cpp
  ${SFX_7Z}/CPP/7zip/Archive/Common/ParseProperties.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zCompressionMode.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zDecode.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zEncode.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zExtract.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zFolderInStream.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zHandler.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zHandlerOut.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zHeader.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zIn.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zOut.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zProperties.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zSpecStream.cpp
  ${SFX_7Z}/CPP/7zip/Archive/7z/7zUpdate.cpp

  # Coders
  ${SFX_7Z}/CPP/7zip/Compress/Bcj2Coder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/BcjCoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/CopyCoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Lzma2Decoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Lzma2Encoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/LzmaDecoder.cpp
  ${SFX_7Z}/CPP/7zip/Compress/LzmaEncoder.cpp
  ${SFX_7Z}/CPP/7zip/Crypto/7zAes.cpp
  ${SFX_7Z}/CPP/7zip/Crypto/MyAes.cpp

  # Ours: interface IDs, registrations, the random generator
  ${CMAKE_SOURCE_DIR}/packager/library/PackerGuids.cpp
  ${CMAKE_SOURCE_DIR}/packager/library/PackerRegistry.cpp
  ${CMAKE_SOURCE_DIR}/packager/library/PackerRandom.cpp
)

# As in the stub's library: the coders register themselves
# from static constructors in files that export nothing; PackerRegistry.cpp
# compiles them into one object with a symbol the packager refers to.
set(SEVENZIP_PACKER_REGISTRATIONS
  ${SFX_7Z}/CPP/Common/CRC.cpp
  ${SFX_7Z}/CPP/Common/LzFindPrepare.cpp
  ${SFX_7Z}/CPP/Common/Sha1Prepare.cpp
  ${SFX_7Z}/CPP/Common/Sha256Prepare.cpp
  ${SFX_7Z}/CPP/Common/Sha512Prepare.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Bcj2Register.cpp
  ${SFX_7Z}/CPP/7zip/Compress/BcjRegister.cpp
  ${SFX_7Z}/CPP/7zip/Compress/CopyRegister.cpp
  ${SFX_7Z}/CPP/7zip/Compress/Lzma2Register.cpp
  ${SFX_7Z}/CPP/7zip/Compress/LzmaRegister.cpp
  ${SFX_7Z}/CPP/7zip/Crypto/7zAesRegister.cpp
)
set_source_files_properties(${CMAKE_SOURCE_DIR}/packager/library/PackerRegistry.cpp
  PROPERTIES OBJECT_DEPENDS "${SEVENZIP_PACKER_REGISTRATIONS}")

find_package(Threads REQUIRED)
add_library(sevenzip_packer STATIC ${SEVENZIP_PACKER_SOURCES})
target_include_directories(sevenzip_packer SYSTEM PUBLIC ${SFX_7Z})
target_include_directories(sevenzip_packer PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(sevenzip_packer PUBLIC
  _REENTRANT _FILE_OFFSET_BITS=64 _LARGEFILE_SOURCE)
target_compile_options(sevenzip_packer PRIVATE -O3 -w)
target_link_libraries(sevenzip_packer PUBLIC Threads::Threads)
if(WIN32)
  # Wide file names throughout (the library's FString is then UTF-16), and
  # paths longer than MAX_PATH retried as \\?\ names.
  target_compile_definitions(sevenzip_packer PUBLIC UNICODE _UNICODE Z7_LONG_PATH)
  # BSTRs from oleaut32, random bytes from bcrypt.
  target_link_libraries(sevenzip_packer PUBLIC oleaut32 bcrypt)
endif()
