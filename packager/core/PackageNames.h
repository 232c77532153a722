#pragma once
// The files of a package by their paths relative to its root, compared as
// Windows compares names (without case; "\\" and "/" alike). The archive
// side fills it, the configuration check looks setup programs up in it.
#include <cstddef>
#include <set>
#include <string>

#include "orelib/NoCaseLess.h"

namespace sfxpack {

class CPackageNames {
public:
    void Add(const std::wstring& relativePath);
    bool HasFile(const std::wstring& relativePath) const;
    size_t Size() const { return m_names.size(); }

private:
    std::set<std::wstring, orelib::NoCaseLess> m_names;
};

}  // namespace sfxpack
