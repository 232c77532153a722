#pragma once
// Whether one level of a path leads elsewhere. Pure logic over what the
// system says of the level: its attributes and reparse tag as its own handle
// (opened without following it) reports them, and its attributes as its
// folder lists them.
#include <cstdint>

namespace orelib {

// The name-surrogate bit of a reparse tag: junctions, mount points and
// symbolic links stand for another name. Cloud-file placeholders (OneDrive),
// deduplicated and other files with reparse data are not links.
constexpr bool IsNameSurrogateTag(uint32_t tag) { return (tag & 0x20000000u) != 0; }

// A link: a reparse point whose tag is a name surrogate; a level that
// reports no attributes at all (Wine opens a Unix symbolic link as itself
// that way); or a plain level that its folder lists as a reparse point (the
// system followed a link although asked not to, as Wine does).
bool IsLinkLevel(uint32_t handleAttributes, uint32_t handleTag, uint32_t listedAttributes);

}  // namespace orelib
