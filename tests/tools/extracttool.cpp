// Drives CExtractThread from the command line for the end-to-end tests, with
// a window on the main thread that plays the dialog's part.
//   extracttool free FOLDER                 creates FOLDER, prints the bytes
//                                           free to the caller there
//   extracttool extract ARCHIVE TARGET [delete]
// "extract" prints one line per message other than progress, the error record
// if one was sent, and "result done|cancelled|failed" (exit code 0, 1, 2).
// With "delete" TARGET is a run's own folder: made first (its parent must
// exist), deleted after a failure or a cancel, and when the tool ends.
#include <windows.h>

#include <cstdio>

#include "orelib/Path.h"
#include "tests/unit/ExtractHarness.h"

namespace {

const char* MessageName(UINT message) {
    switch (message) {
    case WM_SFX_EXTRACT_DONE:
        return "done";
    case WM_SFX_EXTRACT_CANCELLED:
        return "cancelled";
    case WM_SFX_EXTRACT_FAILED:
        return "failed";
    case WM_SFX_EXTRACT_ERROR:
        return "error";
    case WM_SFX_ASK_OVERWRITE:
        return "ask-overwrite";
    case WM_SFX_DELETING_FILES:
        return "deleting";
    case WM_SFX_ASK_PASSWORD:
        return "ask-password";
    default:
        return "other";
    }
}

int Free(const wchar_t* folder) {
    CreateDirectoryW(folder, nullptr);
    ULARGE_INTEGER freeToCaller;
    if (!GetDiskFreeSpaceExW(folder, &freeToCaller, nullptr, nullptr)) {
        std::printf("error %lu\n", GetLastError());
        return 2;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(freeToCaller.QuadPart));
    return 0;
}

int Extract(const wchar_t* archive, const wchar_t* target, bool deleteOnFailure) {
    extracttest::CDialogStandIn dialog;
    CExtractThread thread;
    // "delete": the target is a run's own folder, made first as start-up makes it.
    orelib::CWorkingFolder owned;
    if (deleteOnFailure) {
        const std::wstring name = orelib::GetFileNamePart(target);
        const HRESULT hr = owned.Create(
            orelib::GetFileDirPart(target), false, [name] { return name; }, 1);
        if (FAILED(hr)) {
            std::printf("error creating the folder 0x%08lX\n", static_cast<unsigned long>(hr));
            return 2;
        }
    }
    extracttest::RunExtraction(thread, dialog, archive, target, deleteOnFailure ? &owned : nullptr);
    for (UINT message : dialog.Milestones()) std::printf("message %s\n", MessageName(message));
    for (const ExtractError& error : dialog.errors) {
        std::printf("error kind=%d code=0x%08X required=%llu path=%ls message=%ls\n", static_cast<int>(error.kind),
                    error.code, static_cast<unsigned long long>(error.requiredBytes), error.path.c_str(),
                    error.message.c_str());
    }
    std::printf("result %s\n", dialog.finalMessage ? MessageName(dialog.finalMessage) : "none");
    switch (dialog.finalMessage) {
    case WM_SFX_EXTRACT_DONE:
        return 0;
    case WM_SFX_EXTRACT_CANCELLED:
        return 1;
    default:
        return 2;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"free") return Free(argv[2]);
    if ((argc == 4 || argc == 5) && std::wstring(argv[1]) == L"extract")
        return Extract(argv[2], argv[3], argc == 5 && std::wstring(argv[4]) == L"delete");
    std::fprintf(stderr, "usage: extracttool free FOLDER | extract ARCHIVE TARGET [delete]\n");
    return 3;
}
