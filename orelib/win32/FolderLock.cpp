#include "orelib/win32/FolderLock.h"

#include <utility>

#include "orelib/NoCaseLess.h"
#include "orelib/win32/Files.h"

namespace orelib {

namespace {
std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}
}  // namespace

HRESULT CFolderLock::Acquire(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_handle.Reset();
    m_path.clear();
    // Reading is shared so the folder stays usable; delete is not, which is
    // what keeps it and its parents from being renamed.
    CHandle folder(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return FailureFromLastError();
    m_handle = std::move(folder);
    m_path = path;
    return S_OK;
}

void CFolderLock::Release() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_handle.Reset();
    m_path.clear();
}

bool CFolderLock::ReleaseIfHeld(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_handle || !EqualsNoCase(WithoutTrailingSeparators(m_path), WithoutTrailingSeparators(path)))
        return false;
    m_handle.Reset();
    m_path.clear();
    return true;
}

bool CFolderLock::IsHeld() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_handle.IsValid();
}

std::wstring CFolderLock::HeldPath() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_path;
}

CFolderLock& WorkingFolderLock() {
    static CFolderLock lock;
    return lock;
}

bool DeleteWorkingFolder(const std::wstring& path) {
    WorkingFolderLock().ReleaseIfHeld(path);
    return DeleteFolderTree(path.c_str(), kDeleteAll);
}

}  // namespace orelib
