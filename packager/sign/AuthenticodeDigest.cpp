#include "packager/sign/AuthenticodeDigest.h"

#include <algorithm>
#include <istream>

#include "packager/core/PackError.h"
#include "packager/core/Sha256.h"

namespace sfxpack {

namespace {

// One of the archive library's digests, chosen at run time.
class CImageHasher {
public:
    explicit CImageHasher(DigestAlgorithm algorithm)
        : m_algorithm(algorithm), m_sha512(algorithm == DigestAlgorithm::Sha384 ? 48 : 64) {}
    void Update(const uint8_t* data, size_t size) {
        switch (m_algorithm) {
        case DigestAlgorithm::Sha1:
            m_sha1.Update(data, size);
            break;
        case DigestAlgorithm::Sha256:
            m_sha256.Update(data, size);
            break;
        default:
            m_sha512.Update(data, size);
            break;
        }
    }
    std::vector<uint8_t> Finish() {
        std::vector<uint8_t> digest(DigestSize(m_algorithm));
        switch (m_algorithm) {
        case DigestAlgorithm::Sha1:
            Take(m_sha1.Finish(), &digest);
            break;
        case DigestAlgorithm::Sha256:
            Take(m_sha256.Finish(), &digest);
            break;
        default:
            Take(m_sha512.Finish(), &digest);
            break;
        }
        return digest;
    }

private:
    template <size_t N>
    static void Take(const std::array<uint8_t, N>& result, std::vector<uint8_t>* digest) {
        std::copy(result.begin(), result.begin() + digest->size(), digest->begin());
    }

    DigestAlgorithm m_algorithm;
    CSha1Digest m_sha1;
    CSha256Digest m_sha256;
    CSha512Digest m_sha512;
};

struct Range {
    uint64_t start;
    uint64_t end;
};

}  // namespace

std::vector<uint8_t> ComputeImageDigest(std::istream& file, uint64_t fileSize, const SignedLayout& layout,
                                        DigestAlgorithm algorithm) {
    // The parts left out, in file order; they may overlap in a hostile file.
    Range skipped[] = {
        {layout.checksumOffset, layout.checksumOffset + 4},
        {layout.certificateEntryOffset, layout.certificateEntryOffset + 8},
        {layout.certificateOffset, uint64_t{layout.certificateOffset} + layout.certificateSize},
    };
    std::sort(std::begin(skipped), std::end(skipped), [](const Range& a, const Range& b) { return a.start < b.start; });

    CImageHasher hasher(algorithm);
    std::vector<char> buffer(1 << 16);
    uint64_t at = 0;
    auto hashUpTo = [&](uint64_t end) {
        end = std::min(end, fileSize);
        if (at >= end) return;
        file.clear();
        file.seekg(static_cast<std::streamoff>(at));
        while (at < end) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(end - at, buffer.size()));
            file.read(buffer.data(), static_cast<std::streamsize>(want));
            if (static_cast<size_t>(file.gcount()) != want) {
                throw CPackError("the setup file could not be read to compute its Authenticode digest", kExitFailure,
                                 DiagCode::InputUnreadable);
            }
            hasher.Update(reinterpret_cast<const uint8_t*>(buffer.data()), want);
            at += want;
        }
    };
    for (const Range& range : skipped) {
        hashUpTo(range.start);
        at = std::max(at, range.end);
    }
    hashUpTo(fileSize);
    return hasher.Finish();
}

}  // namespace sfxpack
