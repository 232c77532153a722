// The bounded PE reader on hand-built images: good ones, damaged ones, and
// ones built to lure a careless reader outside its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "orelib/PeImage.h"
#include "tests/native/TestPe.h"

namespace {

using orelib::PeCertificateEntry;
using orelib::PeHeaderCheck;
using orelib::PeImage;
using testpe::Put16;
using testpe::Put32;

const std::vector<uint8_t> kData = {1, 2, 3, 4, 5, 6, 7, 8};

bool Find(const std::vector<uint8_t>& bytes, size_t length, const std::u16string& name, size_t* offset, uint32_t* size,
          uint16_t type = 10) {
    return PeImage(bytes.data(), length).FindNamedResource(type, name, offset, size);
}

bool Find(const std::vector<uint8_t>& bytes, const std::u16string& name = u"_KTV_VERIFY") {
    size_t offset = 0;
    uint32_t size = 0;
    return Find(bytes, bytes.size(), name, &offset, &size);
}

}  // namespace

TEST(PeImageHeaders, AcceptsWellFormedImage) {
    const auto img = testpe::Build(10, u"X", kData);
    EXPECT_EQ(PeHeaderCheck::Ok, PeImage(img.bytes.data(), img.bytes.size()).CheckHeaders());
}

TEST(PeImageHeaders, RejectsMissingOrDamagedSignatures) {
    auto img = testpe::Build(10, u"X", kData);
    const auto& b = img.bytes;
    EXPECT_EQ(PeHeaderCheck::NotMz, PeImage(b.data(), 0).CheckHeaders());
    EXPECT_EQ(PeHeaderCheck::NotMz, PeImage(b.data(), 1).CheckHeaders());
    // "MZ" but too short to hold the header offset at 0x3C.
    EXPECT_EQ(PeHeaderCheck::BadPeSignature, PeImage(b.data(), 2).CheckHeaders());
    EXPECT_EQ(PeHeaderCheck::BadPeSignature, PeImage(b.data(), 0x3F).CheckHeaders());
    // The signature cut in the middle.
    EXPECT_EQ(PeHeaderCheck::BadPeSignature, PeImage(b.data(), testpe::kPeOffset + 3).CheckHeaders());

    auto notMz = img.bytes;
    notMz[1] = 'X';
    EXPECT_EQ(PeHeaderCheck::NotMz, PeImage(notMz.data(), notMz.size()).CheckHeaders());

    auto badSig = img.bytes;
    badSig[testpe::kPeOffset + 2] = 1;
    EXPECT_EQ(PeHeaderCheck::BadPeSignature, PeImage(badSig.data(), badSig.size()).CheckHeaders());
}

TEST(PeImageHeaders, HeaderOffsetBeyondTheViewIsRejectedWithoutReadingThere) {
    auto img = testpe::Build(10, u"X", kData);
    for (uint32_t lfanew : {static_cast<uint32_t>(img.bytes.size()), static_cast<uint32_t>(img.bytes.size() - 3),
                            0x7FFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
        auto b = img.bytes;
        Put32(b, 0x3C, lfanew);
        EXPECT_EQ(PeHeaderCheck::BadPeSignature, PeImage(b.data(), b.size()).CheckHeaders()) << lfanew;
        EXPECT_FALSE(Find(b)) << lfanew;
        PeCertificateEntry cert;
        EXPECT_FALSE(PeImage(b.data(), b.size()).GetCertificateEntry(&cert)) << lfanew;
    }
}

TEST(PeImageResource, FindsNamedResourceAndItsFileOffset) {
    const auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    size_t offset = 0;
    uint32_t size = 0;
    ASSERT_TRUE(Find(img.bytes, img.bytes.size(), u"_KTV_VERIFY", &offset, &size));
    EXPECT_EQ(img.data, offset);
    EXPECT_EQ(8u, size);
    EXPECT_EQ(kData, std::vector<uint8_t>(img.bytes.begin() + offset, img.bytes.begin() + offset + size));
}

TEST(PeImageResource, NamesCompareWithoutCaseButOtherwiseExactly) {
    const auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    EXPECT_TRUE(Find(img.bytes, u"_ktv_verify"));
    EXPECT_TRUE(Find(img.bytes, u"_Ktv_Verify"));
    EXPECT_FALSE(Find(img.bytes, u"_KTV_VERIF"));
    EXPECT_FALSE(Find(img.bytes, u"_KTV_VERIFYX"));
    EXPECT_FALSE(Find(img.bytes, u""));
    const auto latin = testpe::Build(10, u"\u00C9T\u00C9", kData);
    EXPECT_TRUE(Find(latin.bytes, u"\u00E9t\u00E9"));
}

TEST(PeImageResource, TypeMustMatch) {
    const auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    size_t offset = 0;
    uint32_t size = 0;
    EXPECT_FALSE(Find(img.bytes, img.bytes.size(), u"_KTV_VERIFY", &offset, &size, 3));
    const auto icon = testpe::Build(3, u"_KTV_VERIFY", kData);
    EXPECT_FALSE(Find(icon.bytes));
}

TEST(PeImageResource, EveryTruncationIsReadSafely) {
    const auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    for (size_t length = 0; length < img.bytes.size(); ++length) {
        // A copy of exactly `length` bytes, so that a sanitizer sees any overread.
        const std::vector<uint8_t> cut(img.bytes.begin(), img.bytes.begin() + length);
        size_t offset = 0;
        uint32_t size = 0;
        const bool found = Find(cut, cut.size(), u"_KTV_VERIFY", &offset, &size);
        // Everything the walk reads lies before the data's end; the rest is padding.
        EXPECT_EQ(length >= img.data + kData.size(), found) << length;
        if (found) EXPECT_LE(offset + size, length);
    }
}

TEST(PeImageResource, ResourceDirectoryOutsideEverySectionIsNotFound) {
    auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    Put32(img.bytes, testpe::kOptionalHeader + 96 + 16, 0x5000);
    EXPECT_FALSE(Find(img.bytes));
    Put32(img.bytes, testpe::kOptionalHeader + 96 + 16, 0);
    EXPECT_FALSE(Find(img.bytes));
    Put32(img.bytes, testpe::kOptionalHeader + 96 + 16, 0xFFFFFFF0u);
    EXPECT_FALSE(Find(img.bytes));
}

TEST(PeImageResource, DataOutsideTheSectionOrTheFileIsNotFound) {
    const auto good = testpe::Build(10, u"_KTV_VERIFY", kData);
    const uint32_t sectionEnd = testpe::kRsrcRva + static_cast<uint32_t>(good.bytes.size() - testpe::kRsrcFileOffset);
    struct Case {
        uint32_t rva, size;
    } cases[] = {
        {0x500, 8},                       // below the section
        {sectionEnd - 4, 8},              // runs past the section's end
        {sectionEnd, 8},                  // just past it
        {testpe::kRsrcRva, 0xFFFFFFFFu},  // a size that would wrap
        {0xFFFFFFFCu, 8},                 // an RVA that would wrap
    };
    for (const Case& c : cases) {
        auto img = good;
        Put32(img.bytes, img.dataEntry, c.rva);
        Put32(img.bytes, img.dataEntry + 4, c.size);
        EXPECT_FALSE(Find(img.bytes)) << std::hex << c.rva << " " << c.size;
    }
}

// Data at the raw end of the resource section lies in the section that
// starts there (file and section alignment equal), and data may end exactly
// at a raw end: catches off-by-one bounds in the RVA-to-offset walk.
TEST(PeImageResource, DataEndingOrStartingAtARawEndIsFound) {
    auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    const size_t header = testpe::kSectionTable + 40, raw = img.bytes.size();
    const uint32_t next = testpe::kRsrcRva + static_cast<uint32_t>(raw - testpe::kRsrcFileOffset);
    Put16(img.bytes, testpe::kPeOffset + 6, 2);
    Put32(img.bytes, header + 8, 0x200);
    Put32(img.bytes, header + 12, next);
    Put32(img.bytes, header + 16, 0x200);
    Put32(img.bytes, header + 20, static_cast<uint32_t>(raw));
    img.bytes.resize(raw + 0x200, 0);
    std::copy(kData.begin(), kData.end(), img.bytes.begin() + static_cast<std::ptrdiff_t>(raw));
    for (const uint32_t back : {0u, 8u}) {  // at the next section's start; ending at the first one's raw end
        Put32(img.bytes, img.dataEntry, next - back);
        size_t offset = 0;
        uint32_t size = 0;
        EXPECT_TRUE(Find(img.bytes, img.bytes.size(), u"_KTV_VERIFY", &offset, &size)) << back;
        EXPECT_EQ(raw - back, offset) << back;
    }
}

TEST(PeImageResource, SectionWhoseFileDataLiesBeyondTheFileIsNotRead) {
    auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    Put32(img.bytes, testpe::kSectionTable + 20, 0x7FFFFFF0u);
    EXPECT_FALSE(Find(img.bytes));
    Put32(img.bytes, testpe::kSectionTable + 20, 0xFFFFFFF0u);
    EXPECT_FALSE(Find(img.bytes));
}

TEST(PeImageResource, LoopsAndWrongEntryKindsEndTheWalk) {
    const auto good = testpe::Build(10, u"_KTV_VERIFY", kData);
    const auto rel = [&](size_t fileOffset) { return static_cast<uint32_t>(fileOffset - testpe::kRsrcFileOffset); };
    {  // The type entry points back at the root.
        auto img = good;
        Put32(img.bytes, img.rootDir + 20, 0x80000000u | rel(img.rootDir));
        EXPECT_FALSE(Find(img.bytes));
    }
    {  // The name entry points back at its own directory.
        auto img = good;
        Put32(img.bytes, img.nameDir + 20, 0x80000000u | rel(img.nameDir));
        EXPECT_FALSE(Find(img.bytes));
    }
    {  // The language entry names a directory instead of data.
        auto img = good;
        Put32(img.bytes, img.langDir + 20, 0x80000000u | rel(img.langDir));
        EXPECT_FALSE(Find(img.bytes));
    }
    {  // The type entry names data instead of a directory.
        auto img = good;
        Put32(img.bytes, img.rootDir + 20, rel(img.dataEntry));
        EXPECT_FALSE(Find(img.bytes));
    }
    {  // A name that claims more characters than the section holds.
        auto img = good;
        Put16(img.bytes, img.nameString, 0xFFFF);
        EXPECT_FALSE(Find(img.bytes));
    }
    {  // Entry counts far beyond the section, and no entry that matches.
        auto img = good;
        Put32(img.bytes, img.rootDir + 16, 3);
        Put16(img.bytes, img.rootDir + 12, 0xFFFF);
        Put16(img.bytes, img.rootDir + 14, 0xFFFF);
        EXPECT_FALSE(Find(img.bytes));
    }
    {  // Subdirectory offsets with the high bit stripped off point far away.
        auto img = good;
        Put32(img.bytes, img.rootDir + 20, 0xFFFFFFFFu);
        EXPECT_FALSE(Find(img.bytes));
    }
}

TEST(PeImageResource, UnknownOptionalHeaderOrTooManySectionsIsHandled) {
    auto img = testpe::Build(10, u"_KTV_VERIFY", kData);
    {
        auto b = img.bytes;
        Put16(b, testpe::kOptionalHeader, 0x107);  // ROM image
        EXPECT_FALSE(Find(b));
    }
    {  // Section count beyond the file: the real section is first, so it is found;
        // a lookup that needs later sections stops at the end of the view.
        auto b = img.bytes;
        Put16(b, testpe::kPeOffset + 6, 0xFFFF);
        EXPECT_TRUE(Find(b));
        Put32(b, img.dataEntry, 0x9000);
        EXPECT_FALSE(Find(b));
    }
    {  // Fewer data directories than the resource entry needs.
        auto b = img.bytes;
        Put32(b, testpe::kOptionalHeader + 92, 2);
        EXPECT_FALSE(Find(b));
    }
}

TEST(PeImageCertificate, ReadsDataDirectoryFourOfPe32) {
    auto img = testpe::Build(10, u"X", kData);
    PeCertificateEntry cert;
    ASSERT_TRUE(PeImage(img.bytes.data(), img.bytes.size()).GetCertificateEntry(&cert));
    EXPECT_EQ(0u, cert.offset);
    EXPECT_EQ(0u, cert.size);

    // 0x98 and 0x9C from the PE signature.
    Put32(img.bytes, testpe::kPeOffset + 0x98, 0x12345678);
    Put32(img.bytes, testpe::kPeOffset + 0x9C, 0x1A00);
    ASSERT_TRUE(PeImage(img.bytes.data(), img.bytes.size()).GetCertificateEntry(&cert));
    EXPECT_EQ(0x12345678u, cert.offset);
    EXPECT_EQ(0x1A00u, cert.size);

    // Cut just inside the entry.
    EXPECT_FALSE(PeImage(img.bytes.data(), testpe::kPeOffset + 0x9F).GetCertificateEntry(&cert));
}

TEST(PeImageCertificate, Pe32PlusUsesItsOwnOffsets) {
    auto img = testpe::Build(10, u"X", kData);
    Put16(img.bytes, testpe::kOptionalHeader, 0x20B);
    Put32(img.bytes, testpe::kOptionalHeader + 108, 16);
    Put32(img.bytes, testpe::kPeOffset + 0xA8, 0x4000);
    Put32(img.bytes, testpe::kPeOffset + 0xAC, 0x800);
    PeCertificateEntry cert;
    ASSERT_TRUE(PeImage(img.bytes.data(), img.bytes.size()).GetCertificateEntry(&cert));
    EXPECT_EQ(0x4000u, cert.offset);
    EXPECT_EQ(0x800u, cert.size);
}

TEST(PeImageCertificate, MissingDirectoryReadsAsUnsignedAndBadMagicAsUnreadable) {
    auto img = testpe::Build(10, u"X", kData);
    Put32(img.bytes, testpe::kPeOffset + 0x98, 0x1000);
    Put32(img.bytes, testpe::kOptionalHeader + 92, 4);  // entry 4 not present
    PeCertificateEntry cert{7, 7};
    ASSERT_TRUE(PeImage(img.bytes.data(), img.bytes.size()).GetCertificateEntry(&cert));
    EXPECT_EQ(0u, cert.offset);

    Put16(img.bytes, testpe::kOptionalHeader, 0x1234);
    EXPECT_FALSE(PeImage(img.bytes.data(), img.bytes.size()).GetCertificateEntry(&cert));
}

TEST(PeImageLayout, GivesTheFieldsAndWhereTheyLie) {
    auto img = testpe::Build(10, u"X", kData);
    orelib::PeHeaderLayout headers;
    orelib::PeSectionHeader section;
    orelib::PeDirectoryEntry entry;
    {
        const PeImage image(img.bytes.data(), img.bytes.size());
        ASSERT_TRUE(image.GetHeaderLayout(&headers));
        EXPECT_EQ(orelib::kPe32Magic, headers.magic);
        EXPECT_EQ(testpe::kSectionTable, headers.sectionTable);
        EXPECT_EQ(1u, headers.sectionCount);
        EXPECT_EQ(testpe::kPeOffset + 6, headers.sectionCountField);
        EXPECT_EQ(testpe::kOptionalHeader + 56, headers.sizeOfImageField);
        EXPECT_EQ(testpe::kOptionalHeader + 64, headers.checksumField);
        EXPECT_EQ(testpe::kOptionalHeader + 96, headers.directories);
        ASSERT_TRUE(image.GetSectionHeader(0, &section));
        EXPECT_STREQ(".rsrc", section.name);
        EXPECT_EQ(testpe::kRsrcRva, section.virtualAddress);
        EXPECT_EQ(testpe::kRsrcFileOffset, section.rawPointer);
        EXPECT_EQ(testpe::kSectionTable, section.headerOffset);
        EXPECT_FALSE(image.GetSectionHeader(1, &section));
        ASSERT_TRUE(image.GetDirectoryEntry(orelib::kPeDirectoryResource, &entry));
        EXPECT_EQ(testpe::kRsrcRva, entry.rva);
        EXPECT_EQ(testpe::kOptionalHeader + 96 + 16, entry.entryOffset);
        EXPECT_FALSE(image.GetDirectoryEntry(16, &entry));
    }
    // PE32+ moves the directories, not the checksum.
    Put16(img.bytes, testpe::kOptionalHeader, 0x20B);
    Put32(img.bytes, testpe::kOptionalHeader + 108, 16);
    Put32(img.bytes, testpe::kOptionalHeader + 112 + 16, 0x5000);
    const PeImage image(img.bytes.data(), img.bytes.size());
    ASSERT_TRUE(image.GetHeaderLayout(&headers));
    EXPECT_EQ(orelib::kPe32PlusMagic, headers.magic);
    EXPECT_EQ(testpe::kOptionalHeader + 64, headers.checksumField);
    EXPECT_EQ(testpe::kOptionalHeader + 112, headers.directories);
    ASSERT_TRUE(image.GetDirectoryEntry(orelib::kPeDirectoryResource, &entry));
    EXPECT_EQ(0x5000u, entry.rva);
}

TEST(PeImageLayout, EveryTruncationIsReadSafely) {
    const auto img = testpe::Build(10, u"X", kData);
    for (size_t length = 0; length <= testpe::kSectionTable + 40; ++length) {
        // A copy of exactly `length` bytes, so that a sanitizer sees any overread.
        const std::vector<uint8_t> cut(img.bytes.begin(), img.bytes.begin() + length);
        const PeImage image(cut.data(), cut.size());
        orelib::PeHeaderLayout headers;
        orelib::PeSectionHeader section;
        orelib::PeDirectoryEntry entry;
        EXPECT_EQ(length >= testpe::kOptionalHeader + 96, image.GetHeaderLayout(&headers)) << length;
        EXPECT_EQ(length >= testpe::kSectionTable + 40, image.GetSectionHeader(0, &section)) << length;
        EXPECT_EQ(length >= testpe::kOptionalHeader + 96 + 8 * 5, image.GetDirectoryEntry(4, &entry)) << length;
    }
}
