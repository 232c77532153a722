#pragma once
// The failures of this room: an image, icon file or resource that cannot be
// read or rewritten. Each refuses the branding it was needed for; inspect,
// which only reads, catches them and shows the resources as unreadable.
#include <string>

#include "packager/core/PackError.h"

namespace sfxpack {

inline CPackError BrandingError(const std::string& why) {
    return CPackError(why, kExitFailure, DiagCode::BrandingRefused);
}

}  // namespace sfxpack
