// The own file's name for a logon session where the user's drive letters do
// not exist: the share itself, or the volume's device path.
#include <gtest/gtest.h>

#include "orelib/ImagePath.h"

TEST(ImagePath, MappedDrivesBecomeTheirShareAndVolumesTheirDevicePath) {
    struct Case {
        const wchar_t* native;
        const wchar_t* openable;
    };
    const Case cases[] = {
        {L"\\Device\\Mup\\srv\\share\\dl\\setup.exe", L"\\\\srv\\share\\dl\\setup.exe"},
        {L"\\Device\\Mup\\;LanmanRedirector\\;Z:000000000001a2b3\\srv\\share\\setup.exe",
         L"\\\\srv\\share\\setup.exe"},
        {L"\\Device\\LanmanRedirector\\;Z:000000000001a2b3\\srv\\share\\setup.exe", L"\\\\srv\\share\\setup.exe"},
        {L"\\device\\mup\\;WebDavRedirector\\srv@SSL\\DavWWWRoot\\setup.exe", L"\\\\srv@SSL\\DavWWWRoot\\setup.exe"},
        {L"\\Device\\HarddiskVolume3\\Users\\u\\Downloads\\setup.exe",
         L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3\\Users\\u\\Downloads\\setup.exe"},
        {L"\\Device\\Mup\\;Z:0001\\", L""},  // no server left
        {L"\\Device\\Mup\\srv", L""},
        {L"C:\\dl\\setup.exe", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(orelib::OpenableImagePath(c.native), c.openable) << testing::PrintToString(std::wstring(c.native));
    }
}
