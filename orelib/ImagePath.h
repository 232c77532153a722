#pragma once
// A name for the program's own file that any logon session can open, made
// from the native name the system mapped the image by. Pure logic.
#include <string>

namespace orelib {

// "\Device\Mup\server\share\dl\setup.exe", with or without the redirector's
// per-session part ("\Device\Mup\;LanmanRedirector\;Z:000000000001a2b3\server\...",
// "\Device\LanmanRedirector\;Z:000000000001a2b3\server\..."), becomes
// "\\server\share\dl\setup.exe": a drive letter mapped by the user does not
// exist in the elevated process's logon session, the share does. Any other
// device path ("\Device\HarddiskVolume3\Users\...") becomes its
// "\\?\GLOBALROOT\Device\..." form, which no junction or drive letter
// stands between. "" for anything else.
std::wstring OpenableImagePath(const std::wstring& nativeName);

}  // namespace orelib
