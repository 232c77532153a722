// Reading a named data resource from a PE file on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "orelib/win32/FileResource.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/OwnFile.h"
#include "tests/unit/PeFileCopy.h"
#include "tests/unit/TempFolder.h"

namespace {

// Reads the resource through a handle, as the stub does of its own file.
HRESULT ReadFileResource(const wchar_t* path, const wchar_t* name, std::vector<uint8_t>* bytes, uint32_t* size) {
    orelib::COwnFile file;
    const HRESULT hr = file.Open(path);
    if (FAILED(hr)) return hr;
    return orelib::ReadFileResource(file.Get(), name, bytes, size);
}

}  // namespace

TEST(ReadFileResource, ReadsTheSizeResource) {
    CTempFolder dir;
    std::string image = OwnImage();
    const size_t offset = SizeResourceOffset(image);
    ASSERT_NE(offset, 0u);
    Put64(image, offset, 0x0102030405060708ull);
    const std::wstring path = dir / L"copy.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(path, image));

    std::vector<uint8_t> bytes{9};
    uint32_t size = 77;
    EXPECT_EQ(ReadFileResource(path.c_str(), L"_KTV_VERIFY", &bytes, &size), S_OK);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{8, 7, 6, 5, 4, 3, 2, 1}));

    // Resource names are not case-sensitive.
    EXPECT_EQ(ReadFileResource(path.c_str(), L"_ktv_verify", &bytes, &size), S_OK);
    EXPECT_EQ(size, 8u);
}

TEST(ReadFileResource, Failures) {
    CTempFolder dir;
    const std::wstring self = orelib::GetModulePath(nullptr);
    std::vector<uint8_t> bytes{9};
    uint32_t size = 77;

    EXPECT_EQ(static_cast<uint32_t>(ReadFileResource(self.c_str(), L"_NO_SUCH_THING", &bytes, &size)),
              0x80070716u);  // ERROR_RESOURCE_NAME_NOT_FOUND
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(size, 0u);

    const std::wstring text = dir / L"text.bin";
    ASSERT_TRUE(CTempFolder::WriteFile(text, "ZM not an executable"));
    EXPECT_EQ(static_cast<uint32_t>(ReadFileResource(text.c_str(), L"_KTV_VERIFY", &bytes, &size)), 0x80070714u);

    // "MZ" and nothing a resource could be read from.
    const std::wstring stub = dir / L"mz.bin";
    ASSERT_TRUE(CTempFolder::WriteFile(stub, "MZ" + std::string(300, '\xFF')));
    EXPECT_TRUE(FAILED(ReadFileResource(stub.c_str(), L"_KTV_VERIFY", &bytes, &size)));
    EXPECT_TRUE(bytes.empty());

    EXPECT_EQ(static_cast<uint32_t>(ReadFileResource((dir / L"missing.exe").c_str(), L"_KTV_VERIFY", &bytes, &size)),
              0x80070002u);
    EXPECT_EQ(ReadFileResource(self.c_str(), MAKEINTRESOURCEW(1), &bytes, &size), E_INVALIDARG);
}
