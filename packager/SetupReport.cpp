#include "packager/SetupReport.h"

#include <ostream>

#include "orelib/Aes.h"
#include "orelib/ConfigBlock.h"
#include "orelib/ConfigKey.h"
#include "orelib/PeImage.h"
#include "orelib/Utf8.h"
#include "packager/Branding.h"
#include "packager/Files.h"
#include "packager/SetupLayout.h"

namespace sfxpack {

namespace {

// Everything the stub reads lies in the first 20 MiB.
std::vector<uint8_t> ReadHead(const std::filesystem::path& path) {
    return ReadFileHead(path, kBlockScanWindow, "setup file");
}

void PrintSizeCheck(const SizeCheck& check, uint64_t actual, std::ostream& out) {
    out << "actual size:        " << actual << "\n";
    if (check.hasExpected) {
        out << "expected size:      " << check.expected
            << (check.fromCertificate ? " (end of the certificate table)" : " (_KTV_VERIFY)") << "\n";
    }
    out << "size check:         " << (check.passes ? "passes" : "fails: " + check.problem) << "\n";
}

}  // namespace

int InspectSetupFile(const std::filesystem::path& path, std::ostream& out) {
    const std::vector<uint8_t> head = ReadHead(path);
    const uint64_t actual = GetFileSizeOrThrow(path, "setup file");
    bool complete = true;

    out << "file:               " << path.string() << "\n";
    size_t contentOffset = 0, contentSize = 0;
    std::vector<uint8_t> text;
    bool textValid = false;
    if (orelib::FindConfigBlock(head.data(), head.size(), &contentOffset, &contentSize)) {
        out << "configuration block: offset " << contentOffset - orelib::kConfigStartMarkerSize
            << ", content " << contentSize << " bytes\n";
        uint8_t key[16];
        orelib::GetConfigKey(key);
        orelib::DecryptAes128Cbc(&text, head.data() + contentOffset,
                                 static_cast<uint32_t>(contentSize), key, sizeof key);
        std::wstring wide;
        textValid = orelib::Utf8ToWide(text.data(), text.size(), &wide);
        if (!textValid) complete = false;
    } else {
        out << "configuration block: not found\n";
        complete = false;
    }

    size_t archive = 0;
    if (FindSevenZipHeader(head.data(), head.size(), kArchiveScanLimit, &archive)) {
        out << "archive:            offset " << archive << "\n";
    } else {
        out << "archive:            not found in the first 4 MiB\n";
        complete = false;
    }

    const orelib::PeImage image(head.data(), head.size());
    orelib::PeCertificateEntry cert;
    if (image.GetCertificateEntry(&cert) && cert.offset != 0) {
        out << "certificate table:  offset " << cert.offset << ", size " << cert.size << "\n";
    } else {
        out << "certificate table:  none\n";
    }
    size_t resource = 0;
    uint32_t resourceSize = 0;
    if (orelib::FindSizeResource(head.data(), head.size(), &resource, &resourceSize) &&
        resourceSize == orelib::kSizeResourceLength) {
        uint64_t recorded = 0;
        for (int i = 7; i >= 0; --i) recorded = (recorded << 8) | head[resource + i];
        out << "recorded size:      " << recorded << " (_KTV_VERIFY at offset " << resource << ")\n";
    } else {
        out << "recorded size:      no 8-byte _KTV_VERIFY resource\n";
    }
    PrintSizeCheck(CheckSetupSize(head.data(), head.size(), actual), actual, out);
    PrintBranding(head, out);

    if (!contentSize) return 1;
    if (!textValid) {
        out << "configuration text: (not valid UTF-8; the stub refuses it)\n";
    } else if (text.empty()) {
        out << "configuration text: (empty; every key takes its default)\n";
    } else {
        out << "configuration text:\n";
        out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size()));
        if (text.back() != '\n') out << "\n";
    }
    return complete ? 0 : 1;
}

}  // namespace sfxpack
