#include "orelib/LinkLevel.h"

namespace orelib {

namespace {
constexpr uint32_t kReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
}

bool IsLinkLevel(uint32_t handleAttributes, uint32_t handleTag, uint32_t listedAttributes) {
    if (handleAttributes == 0) return true;
    if (handleAttributes & kReparsePoint) return IsNameSurrogateTag(handleTag);
    return (listedAttributes & kReparsePoint) != 0;
}

}  // namespace orelib
