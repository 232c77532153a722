#pragma once
// `sfxpack inspect`: reading a finished setup file the way the stub does.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "packager/archive/ArchiveReader.h"
#include "packager/pe/Branding.h"
#include "packager/commands/PayloadCheck.h"
#include "packager/core/LayoutRules.h"
#include "packager/sign/SignatureCheck.h"

namespace sfxpack {

// What inspect and verify say when the stub would not find its parts.
extern const char kNoBlockMessage[];
extern const char kBlockNotUtf8Message[];
extern const char kNoArchiveMessage[];

// What a setup file holds where the stub looks.
struct SetupFacts {
    std::filesystem::path path;
    uint64_t size = 0;

    bool blockFound = false;
    uint64_t blockOffset = 0;       // of its start marker
    uint64_t blockContentSize = 0;  // the encrypted text between the markers
    uint64_t blockSize = 0;         // markers included
    std::vector<uint8_t> text;      // decrypted
    bool textValid = false;         // UTF-8, as the stub requires

    bool archiveFound = false;  // within the first 4 MiB
    uint64_t archiveOffset = 0;
    bool archiveOpened = false;  // the archive library could read its headers
    std::string archiveProblem;  // why not
    ArchiveInfo archive;

    bool hasCertificate = false;
    uint32_t certificateOffset = 0;
    uint32_t certificateSize = 0;
    SignatureFacts signature;  // checked as verify does

    bool hasRecordedSize = false;  // an 8-byte _KTV_VERIFY resource
    uint64_t recordedSize = 0;
    uint64_t recordedSizeOffset = 0;

    SizeCheck sizeCheck;
    PayloadCheck payload;
    BrandingFacts branding;

    // A readable block and an archive the stub would find.
    bool Complete() const { return blockFound && blockContentSize != 0 && textValid && archiveFound; }
};

// Reads the facts; throws CPackError when the file cannot be read.
SetupFacts ReadSetupFacts(const std::filesystem::path& path);

// The block's offset, the configuration text, the archive's offset and
// content, the certificate table and its signature, the size check and the
// branding.
void PrintSetupFacts(const SetupFacts& facts, std::ostream& out);

// Prints the facts; returns 0 when the file is complete, 1 otherwise.
int InspectSetupFile(const std::filesystem::path& path, std::ostream& out);

}  // namespace sfxpack
