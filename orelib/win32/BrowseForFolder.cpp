#include "orelib/win32/BrowseForFolder.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <memory>

#include "orelib/Path.h"
#include "orelib/win32/ComPtr.h"
#include "orelib/win32/Process.h"
#include "orelib/win32/Result.h"

namespace orelib {

namespace {

// Item lists the shell hands out belong to the COM allocator.
struct CoTaskMemDeleter {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};

// BFFM_INITIALIZED: preselect the initial folder passed as the callback's data.
int CALLBACK PreselectFolder(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

std::wstring BrowseWithLegacyDialog(HWND owner, const std::wstring& initialFolder, const std::wstring& legacyTitle) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = legacyTitle.empty() ? nullptr : legacyTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = PreselectFolder;
    info.lParam = initialFolder.empty() ? 0 : reinterpret_cast<LPARAM>(initialFolder.c_str());

    std::unique_ptr<ITEMIDLIST, CoTaskMemDeleter> items(SHBrowseForFolderW(&info));
    if (!items) return {};
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(items.get(), path)) return {};
    return path;
}

HRESULT BrowseWithFileDialog(HWND owner, const std::wstring& initialFolder, const std::wstring& title,
                             std::wstring* chosen) {
    CComPtr<IFileOpenDialog> dialog;
    RETURN_IF_FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IFileOpenDialog, dialog.ReceiveVoid()));

    FILEOPENDIALOGOPTIONS options = 0;
    RETURN_IF_FAILED(dialog->GetOptions(&options));
    RETURN_IF_FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_DEFAULTNOMINIMODE));
    if (!title.empty()) RETURN_IF_FAILED(dialog->SetTitle(title.c_str()));

    // A start folder that cannot be parsed (a drive gone meanwhile) only
    // loses the preselection.
    CComPtr<IShellItem> start;
    if (SUCCEEDED(SHCreateItemFromParsingName(initialFolder.c_str(), nullptr, IID_IShellItem, start.ReceiveVoid())))
        dialog->SetFolder(start.Get());

    RETURN_IF_FAILED(dialog->Show(owner));  // HRESULT_FROM_WIN32(ERROR_CANCELLED) when cancelled

    CComPtr<IShellItem> result;
    RETURN_IF_FAILED(dialog->GetResult(result.Receive()));
    std::unique_ptr<wchar_t, CoTaskMemDeleter> path;
    wchar_t* rawPath = nullptr;
    const HRESULT hr = result->GetDisplayName(SIGDN_FILESYSPATH, &rawPath);
    path.reset(rawPath);
    RETURN_IF_FAILED(hr);
    if (path) *chosen = path.get();
    return S_OK;
}

}  // namespace

std::wstring BrowseForFolder(HWND owner, const std::wstring& initialFolder, const std::wstring& title,
                             const std::wstring& legacyTitle) {
    std::wstring chosen;
    if (GetOsVersionNumber() < kWindowsVistaVersion)
        chosen = BrowseWithLegacyDialog(owner, initialFolder, legacyTitle);
    else if (FAILED(BrowseWithFileDialog(owner, initialFolder, title, &chosen)))
        chosen.clear();  // cancelled or no file-system path: the caller only needs "nothing"
    AddBackslash(chosen);
    return chosen;
}

}  // namespace orelib
