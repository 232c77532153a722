#pragma once
// The extraction worker's parameter block and its error record.
#include <windows.h>

#include <cstdint>
#include <string>

#include "orelib/SetupLayout.h"
#include "orelib/win32/Result.h"

namespace orelib {
class CWorkingFolder;
}

namespace extract {

// What the dialog hands to CExtractThread::StartExtraction.
struct ExtractParams {
    HWND notifyWindow = nullptr;   // receives every message; null: nothing is posted,
                                   // and every question counts as answered 0
    std::wstring archivePath;      // the running executable, which holds the archive: its name
    HANDLE archiveFile = nullptr;  // and the handle it is read through, held by the caller
    std::wstring targetFolder;     // where the items go
    // Normal mode: the owner of targetFolder, the run's own folder, which
    // must exist (it is never made again) and which the worker deletes after
    // a failure or a cancel. Null in extract-only mode: targetFolder is then
    // made where missing, refused when it or a folder on the way to it is a
    // link, held while extracting, and never deleted.
    orelib::CWorkingFolder* ownedFolder = nullptr;
    // What the program's image says follows the stub in archiveFile: hashed
    // beside the extraction, which succeeds only when the bytes agree. Unset:
    // nothing is hashed (a plain archive).
    orelib::PayloadDigest payload;
};

// Kinds of ExtractError.
enum : int32_t {
    kExtractErrorDamaged = 0,  // data or CRC error: a broken download or a wrong password
    kExtractErrorSystem = 1,   // an HRESULT or Win32 code, with the path it concerns
    kExtractErrorOther = 2,    // a text, or a plain number
};

// Codes an ExtractError carries that the program tells apart.
constexpr uint32_t kExtractCodeDataError = orelib::HresultFromWin32(ERROR_INVALID_DATA);
constexpr uint32_t kExtractCodeCrcError = orelib::HresultFromWin32(ERROR_CRC);
constexpr uint32_t kExtractCodeDiskFull = orelib::HresultFromWin32(ERROR_DISK_FULL);
// The payload is not the one the program's image was built with.
constexpr uint32_t kExtractCodePayloadChanged = TRUST_E_BAD_DIGEST;

// One failure of a run, sent to the dialog with WM_SFX_EXTRACT_ERROR. It lives
// on the worker's stack: valid only while that message is being handled.
struct ExtractError {
    int32_t kind = kExtractErrorDamaged;
    uint32_t code = 0;           // printed as unsigned
    std::wstring message;        // the text of a text failure
    std::wstring path;           // kind 1: the item or folder concerned
    uint64_t requiredBytes = 0;  // kind 1, kExtractCodeDiskFull: the total size to extract
};

}  // namespace extract
