// Extraction throughput of one archive two ways, for scripts/bench-extract.sh:
//   library  the archive library's own driver (Extract) with callbacks that
//            answer at once and send nothing;
//   stub     the stub's path: CExtractThread with MyExtractCallback, sending
//            progress to a window on this thread, as the dialog's would be.
//   benchextract ARCHIVE WORKFOLDER [ROUNDS]
// Prints one line per run and the best figure of each way, in MB/s (10^6
// bytes of unpacked data per second).
#include "extract/SevenZip.h"

#include <cstdio>

#include "CPP/7zip/UI/Common/Extract.h"
#include "extract/OpenCallback.h"
#include "extract/library/SevenZipRegistry.h"
#include "orelib/win32/DeleteOpenFolder.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/Handle.h"
#include "tests/unit/ExtractHarness.h"

namespace {

class CBareCallback final : public IFolderArchiveExtractCallback,
                            public IExtractCallbackUI,
                            public CMyUnknownImp {
    Z7_COM_UNKNOWN_IMP_1(IFolderArchiveExtractCallback)
public:
    Z7_IFACE_COM7_IMP(IProgress)
    Z7_IFACE_COM7_IMP(IFolderArchiveExtractCallback)
    Z7_IFACE_IMP(IExtractCallbackUI)
};

Z7_COM7F_IMF(CBareCallback::SetTotal(UInt64)) { return S_OK; }
Z7_COM7F_IMF(CBareCallback::SetCompleted(const UInt64*)) { return S_OK; }
Z7_COM7F_IMF(CBareCallback::AskOverwrite(const wchar_t*, const FILETIME*, const UInt64*, const wchar_t*,
                                         const FILETIME*, const UInt64*, Int32* answer)) {
    *answer = NOverwriteAnswer::kYesToAll;
    return S_OK;
}
Z7_COM7F_IMF(CBareCallback::PrepareOperation(const wchar_t*, Int32, Int32, const UInt64*)) { return S_OK; }
Z7_COM7F_IMF(CBareCallback::MessageError(const wchar_t* message)) {
    std::printf("library message: %ls\n", message);
    return E_FAIL;
}
Z7_COM7F_IMF(CBareCallback::SetOperationResult(Int32 result, Int32)) { return result == 0 ? S_OK : E_FAIL; }
HRESULT CBareCallback::BeforeOpen(const wchar_t*, bool) { return S_OK; }
HRESULT CBareCallback::OpenResult(const CCodecs*, const CArchiveLink&, const wchar_t*, HRESULT result) {
    return result;
}
HRESULT CBareCallback::ThereAreNoFiles() { return S_OK; }
HRESULT CBareCallback::ExtractResult(HRESULT result) { return result; }
HRESULT CBareCallback::SetPassword(const UString&) { return S_OK; }

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The library alone; returns the unpacked size, 0 on failure.
UInt64 ExtractWithLibrary(const std::wstring& archive, const std::wstring& target) {
    RequireSevenZipRegistry();
    CCodecs* codecs = new CCodecs;
    CMyComPtr<IUnknown> codecsReference = codecs;
    if (codecs->Load() != S_OK) return 0;
    UStringVector paths;
    paths.Add(UString(archive.c_str()));
    UStringVector fullPaths = paths;
    CObjectVector<COpenType> types;
    CIntVector excluded;
    CExtractOptions options;
    options.OutputDir = UString(target.c_str());
    NWildcard::CCensor censor;
    NWildcard::CCensorPathProps props;
    props.Recursive = true;
    censor.AddItem(NWildcard::k_RelatPath, true, UString(L"*"), props);
    CBareCallback* callback = new CBareCallback;
    CMyComPtr<IFolderArchiveExtractCallback> callbackReference = callback;
    MyOpenCallback openCallback;
    UString errorMessage;
    CDecompressStat statistics;
    const HRESULT hr = Extract(codecs, types, excluded, paths, fullPaths, censor.Pairs.Front().Head, options,
                               &openCallback, callback, callback, errorMessage, statistics);
    if (hr != S_OK) std::printf("library: error 0x%08lX %ls\n", static_cast<unsigned long>(hr), errorMessage.Ptr());
    return hr == S_OK ? statistics.UnpackSize : 0;
}

bool ExtractWithStub(const std::wstring& archive, const std::wstring& target, size_t* progressMessages) {
    extracttest::CDialogStandIn dialog;
    CExtractThread thread;
    extracttest::RunExtraction(thread, dialog, archive, target);
    *progressMessages = dialog.progress.size();
    return dialog.finalMessage == WM_SFX_EXTRACT_DONE;
}

// The previous round's output, removed through a handle on the folder.
void RemoveTarget(const std::wstring& target) {
    const orelib::CHandle folder(CreateFileW(target.c_str(), DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                             nullptr));
    if (folder) orelib::DeleteOpenFolderTree(folder.Get(), true);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: benchextract ARCHIVE WORKFOLDER [ROUNDS]\n");
        return 2;
    }
    const std::wstring archive = argv[1];
    const std::wstring work = argv[2];
    const int rounds = argc > 3 ? _wtoi(argv[3]) : 3;
    const std::wstring target = work + L"\\out";
    double bestLibrary = 0, bestStub = 0;
    for (int round = 1; round <= rounds; ++round) {
        RemoveTarget(target);
        double start = Seconds();
        const UInt64 size = ExtractWithLibrary(archive, target);
        const double library = size / (Seconds() - start) / 1e6;
        if (size == 0) return 1;

        RemoveTarget(target);
        size_t progress = 0;
        start = Seconds();
        if (!ExtractWithStub(archive, target, &progress)) {
            std::printf("stub: extraction failed\n");
            return 1;
        }
        const double stub = size / (Seconds() - start) / 1e6;
        std::printf("round %d: %.1f MB unpacked; library %.1f MB/s; stub %.1f MB/s (%zu progress messages)\n",
                    round, size / 1e6, library, stub, progress);
        if (library > bestLibrary) bestLibrary = library;
        if (stub > bestStub) bestStub = stub;
    }
    RemoveTarget(target);
    std::printf("best: library %.1f MB/s, stub %.1f MB/s (%.0f%%)\n", bestLibrary, bestStub,
                bestLibrary > 0 ? 100.0 * bestStub / bestLibrary : 0.0);
    return 0;
}
