#include "packager/core/PackageNames.h"

#include <algorithm>

namespace sfxpack {

namespace {

std::wstring Normalize(const std::wstring& path) {
    std::wstring out = path;
    std::replace(out.begin(), out.end(), L'\\', L'/');
    return out;
}

}  // namespace

void CPackageNames::Add(const std::wstring& relativePath) { m_names.insert(Normalize(relativePath)); }

bool CPackageNames::HasFile(const std::wstring& relativePath) const {
    return m_names.count(Normalize(relativePath)) != 0;
}

}  // namespace sfxpack
