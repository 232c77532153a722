#include "packager/commands/SetupReport.h"

#include <ostream>

#include "orelib/Aes.h"
#include "orelib/ConfigBlock.h"
#include "orelib/ConfigKey.h"
#include "orelib/PeImage.h"
#include "packager/core/ShownText.h"
#include "orelib/Utf8.h"
#include "packager/platform/FileDigest.h"
#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"

namespace sfxpack {

const char kNoBlockMessage[] = "no configuration block in the first 20 MiB, where the stub looks for it";
const char kBlockNotUtf8Message[] = "the configuration block does not decrypt to UTF-8 text; the stub refuses it";
const char kNoArchiveMessage[] = "no 7z archive starts within the first 4 MiB, where the stub looks for it";

namespace {

void PrintSizeCheck(const SizeCheck& check, uint64_t actual, std::ostream& out) {
    out << "actual size:        " << actual << "\n";
    if (check.hasExpected) {
        out << "expected size:      " << check.expected
            << (check.fromCertificate ? " (end of the certificate table)" : " (_KTV_VERIFY)") << "\n";
    }
    out << "size check:         " << (check.passes ? "passes" : "fails: " + check.problem) << "\n";
}

void PrintPayloadCheck(const PayloadCheck& check, std::ostream& out) {
    if (check.recorded) {
        out << "payload digest:     " << check.digest.size << " bytes at offset " << check.digest.offset
            << ", SHA-256 " << HexText(check.digest.sha256.data(), check.digest.sha256.size()) << "\n";
    }
    out << "payload check:      " << (check.matches ? "passes" : "fails: " + check.problem) << "\n";
}

void PrintSignature(const SignatureFacts& signature, std::ostream& out) {
    if (!signature.present) return;
    out << "signature:          ";
    if (signature.Valid()) {
        out << "valid (" << signature.algorithm << " digest matches, signed by " << ShownText(signature.signer)
            << "; chain not checked)\n";
    } else {
        out << "fails: " << ShownText(signature.problems.front().message) << "\n";
    }
}

std::string JoinMethods(const std::vector<std::string>& methods) {
    std::string text;
    for (const std::string& method : methods) text += (text.empty() ? "" : ", ") + method;
    return text;
}

}  // namespace

SetupFacts ReadSetupFacts(const std::filesystem::path& path) {
    SetupFacts facts;
    facts.path = path;
    // Everything the stub reads lies in the first 20 MiB.
    const std::vector<uint8_t> head = ReadFileHead(path, kBlockScanWindow, "setup file");
    facts.size = GetFileSizeOrThrow(path, "setup file");

    size_t contentOffset = 0, contentSize = 0;
    if (orelib::FindConfigBlock(head.data(), head.size(), &contentOffset, &contentSize)) {
        facts.blockFound = true;
        facts.blockOffset = contentOffset - orelib::kConfigStartMarkerSize;
        facts.blockContentSize = contentSize;
        facts.blockSize = orelib::kConfigStartMarkerSize + contentSize + orelib::kConfigEndMarkerSize;
        uint8_t key[16];
        orelib::GetConfigKey(key);
        orelib::DecryptAes128Cbc(&facts.text, head.data() + contentOffset, static_cast<uint32_t>(contentSize), key,
                                 sizeof key);
        std::wstring wide;
        facts.textValid = orelib::Utf8ToWide(facts.text.data(), facts.text.size(), &wide);
    }

    size_t archive = 0;
    if (FindSevenZipHeader(head.data(), head.size(), kArchiveScanLimit, &archive)) {
        facts.archiveFound = true;
        facts.archiveOffset = archive;
        try {
            CArchiveReader reader(path, archive);
            facts.archive = reader.Info();
            facts.archiveOpened = true;
        } catch (const CPackError& e) {
            facts.archiveProblem = e.what();
        }
    }

    const orelib::PeImage image(head.data(), head.size());
    orelib::PeCertificateEntry cert;
    if (image.GetCertificateEntry(&cert) && cert.offset != 0) {
        facts.hasCertificate = true;
        facts.certificateOffset = cert.offset;
        facts.certificateSize = cert.size;
    }
    size_t resource = 0;
    uint32_t resourceSize = 0;
    if (orelib::FindSizeResource(head.data(), head.size(), &resource, &resourceSize) &&
        resourceSize == orelib::kSizeResourceLength) {
        facts.hasRecordedSize = true;
        facts.recordedSizeOffset = resource;
        for (int i = 7; i >= 0; --i) facts.recordedSize = (facts.recordedSize << 8) | head[resource + i];
    }
    facts.signature = CheckFileSignature(path, head, facts.size);
    facts.sizeCheck = CheckSetupSize(head.data(), head.size(), facts.size);
    facts.payload = CheckPayloadDigest(head, path);
    facts.branding = ReadBrandingFacts(head);
    return facts;
}

void PrintSetupFacts(const SetupFacts& facts, std::ostream& out) {
    out << "file:               " << facts.path.string() << "\n";
    if (facts.blockFound) {
        out << "configuration block: offset " << facts.blockOffset << ", content " << facts.blockContentSize
            << " bytes\n";
    } else {
        out << "configuration block: not found\n";
    }
    if (facts.archiveFound) {
        out << "archive:            offset " << facts.archiveOffset << "\n";
        if (facts.archiveOpened) {
            out << "archive content:    " << facts.archive.itemCount << " items, " << facts.archive.unpackedSize
                << " bytes unpacked, methods " << JoinMethods(facts.archive.methods) << "\n";
        } else {
            out << "archive content:    unreadable: " << facts.archiveProblem << "\n";
        }
    } else {
        out << "archive:            not found in the first 4 MiB\n";
    }
    if (facts.hasCertificate) {
        out << "certificate table:  offset " << facts.certificateOffset << ", size " << facts.certificateSize << "\n";
    } else {
        out << "certificate table:  none\n";
    }
    PrintSignature(facts.signature, out);
    if (facts.hasRecordedSize) {
        out << "recorded size:      " << facts.recordedSize << " (_KTV_VERIFY at offset " << facts.recordedSizeOffset
            << ")\n";
    } else {
        out << "recorded size:      no 8-byte _KTV_VERIFY resource\n";
    }
    PrintSizeCheck(facts.sizeCheck, facts.size, out);
    PrintPayloadCheck(facts.payload, out);
    PrintBranding(facts.branding, out);

    if (!facts.blockFound) return;
    if (!facts.textValid) {
        out << "configuration text: (not valid UTF-8; the stub refuses it)\n";
    } else if (facts.text.empty()) {
        out << "configuration text: (empty; every key takes its default)\n";
    } else {
        // Shown, never sent raw: an escape sequence in a hostile file could
        // rewrite what was printed above it.
        const std::string shown =
            ShownText(std::string(reinterpret_cast<const char*>(facts.text.data()), facts.text.size()), true);
        out << "configuration text:\n" << shown;
        if (shown.back() != '\n') out << "\n";
    }
}

int InspectSetupFile(const std::filesystem::path& path, std::ostream& out) {
    const SetupFacts facts = ReadSetupFacts(path);
    PrintSetupFacts(facts, out);
    return facts.Complete() ? 0 : 1;
}

}  // namespace sfxpack
