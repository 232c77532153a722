#include "extract/library/HeldFolders.h"

#include "CPP/7zip/UI/Common/ArchiveExtractCallback.h"
#include "orelib/win32/FolderTree.h"

const GUID IID_IHeldFolders = {0xe8d3ace9, 0x36e4, 0x4ba3, {0xa7, 0x87, 0x5f, 0xe5, 0x6a, 0xe2, 0x74, 0xe4}};

namespace {

// COutFile keeps its handle to itself; a class of its family may set it.
class COutFileAttach : public NWindows::NFile::NIO::COutFile {
public:
    static void Attach(NWindows::NFile::NIO::COutFile& file, HANDLE handle) {
        file.Close();
        file.*(&COutFileAttach::_handle) = handle;
    }
};

orelib::CFolderTree* TreeOf(IUnknown* callback) {
    IHeldFolders* held = nullptr;
    if (!callback || FAILED(callback->QueryInterface(IID_IHeldFolders, reinterpret_cast<void**>(&held))) || !held)
        return nullptr;
    orelib::CFolderTree* tree = held->HeldFolders();
    held->Release();
    return tree;
}

// The library reads failures from the last error.
bool Succeeded(HRESULT hr) {
    if (SUCCEEDED(hr)) return true;
    SetLastError(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_GEN_FAILURE);
    return false;
}

bool NoTree() {
    SetLastError(ERROR_INVALID_FUNCTION);
    return false;
}

}  // namespace

bool EnterFolderBelowTarget(IUnknown* callback, const wchar_t* path) {
    orelib::CFolderTree* tree = TreeOf(callback);
    return tree ? Succeeded(tree->EnterFolder(path)) : NoTree();
}

bool DeleteFileBelowTarget(IUnknown* callback, const wchar_t* path) {
    orelib::CFolderTree* tree = TreeOf(callback);
    return tree ? Succeeded(tree->Remove(path, false)) : NoTree();
}

bool RemoveFolderBelowTarget(IUnknown* callback, const wchar_t* path) {
    orelib::CFolderTree* tree = TreeOf(callback);
    return tree ? Succeeded(tree->Remove(path, true)) : NoTree();
}

bool CreateFileBelowTarget(IUnknown* callback, COutFileStream& stream, const wchar_t* path, bool createAlways) {
    orelib::CFolderTree* tree = TreeOf(callback);
    if (!tree) return NoTree();
    orelib::CHandle file;
    if (!Succeeded(tree->MakeFile(path, !createAlways, &file))) return false;
    stream.ProcessedSize = 0;
    COutFileAttach::Attach(stream.File, file.Release());
    return true;
}

bool SetFolderTimesBelowTarget(IUnknown* callback, const CDirPathTime& folder) {
    orelib::CFolderTree* tree = TreeOf(callback);
    if (!tree) return NoTree();
    return Succeeded(tree->SetFolderTimes(folder.Path.Ptr(), folder.CTime_Defined ? &folder.CTime : nullptr,
                                          folder.ATime_Defined ? &folder.ATime : nullptr,
                                          folder.MTime_Defined ? &folder.MTime : nullptr));
}
