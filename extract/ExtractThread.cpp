#include "extract/ExtractThread.h"

#include "extract/SevenZip.h"

#include <new>

#include "CPP/Common/MyException.h"
#include "CPP/Common/StringConvert.h"
#include "CPP/Windows/FileName.h"
#include "CPP/7zip/UI/Common/ExitCode.h"
#include "extract/WindowMessages.h"
#include "extract/ExtractCallback.h"
#include "extract/ExtractFromStream.h"
#include "extract/HandleInStream.h"
#include "extract/OpenCallback.h"
#include "extract/PayloadHash.h"
#include "extract/library/SevenZipRegistry.h"
#include "orelib/SetupLayout.h"
#include "orelib/win32/FolderTree.h"
#include "orelib/win32/Handle.h"
#include "orelib/win32/LinkFreeFolder.h"
#include "orelib/win32/WorkingFolder.h"

namespace extract {

namespace {

// Any format the registry knows (7z is the only one), searched for from the
// start of the file up to the 4 MiB limit, with no nested archives.
COpenType EmbeddedArchiveType() {
    COpenType type;
    type.Recursive = false;
    type.MaxStartOffset_Defined = true;
    type.MaxStartOffset = orelib::kArchiveScanLimit;
    return type;
}

using namespace NWindows::NFile;

void SetOff(CBoolPair& option) {
    option.Val = false;
    option.Def = true;
}

// Frees the codec registry on every path out of the job.
struct CCodecsHolder {
    CCodecs* codecs = new CCodecs;
    CMyComPtr<IUnknown> reference{codecs};
};

}  // namespace

bool CExtractThread::StartExtraction(const ExtractParams& params) {
    m_params = params;
    return Start();
}

LRESULT CExtractThread::SendToDialog(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_params.notifyWindow ? SendMessageW(m_params.notifyWindow, message, wParam, lParam) : 0;
}

void CExtractThread::PostToDialog(UINT message) const {
    if (m_params.notifyWindow) PostMessageW(m_params.notifyWindow, message, 0, 0);
}

HRESULT CExtractThread::ExtractArchive(std::wstring* message) {
    const std::wstring& target = m_params.targetFolder;
    orelib::CHandle heldTarget;  // the extract-only folder, held until the end
    if (m_params.ownedFolder) {
        // The run's own folder exists from start-up on and cannot be removed
        // by anyone else; gone means deleted by the run: never made again.
        if (!m_params.ownedFolder->IsHeld()) {
            m_currentPath = target;
            return static_cast<HRESULT>(ERROR_PATH_NOT_FOUND);
        }
    } else {
        // Missing levels are made; a link on the way would send the files
        // wherever it points.
        std::wstring failedLevel = target;
        const HRESULT hr = orelib::OpenLinkFreeFolder(target, true, &heldTarget, &failedLevel);
        if (FAILED(hr)) {
            m_currentPath = failedLevel;
            return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? static_cast<HRESULT>(HRESULT_CODE(hr)) : hr;
        }
    }

    RequireSevenZipRegistry();
    CCodecsHolder registry;
    const HRESULT loaded = registry.codecs->Load();
    if (loaded != S_OK) return loaded;

    // The archive is read through the handle the run holds on its own file,
    // never by opening the file's name again.
    CHandleInStream* streamSpec = new CHandleInStream;
    CMyComPtr<IInStream> stream(streamSpec);
    const HRESULT opened = streamSpec->Init(m_params.archiveFile);
    if (opened != S_OK) return opened;
    // Someone may have put another file under the program's name before it
    // was first opened: the bytes read must be the ones the image vouches for.
    CPayloadHash payloadHash;
    if (m_params.payload.IsSet()) RETURN_IF_FAILED(payloadHash.Start(m_params.archiveFile, m_params.payload));

    // Everything below the target is made relative to the held folders, so
    // that a link planted inside, before or during the run, is never
    // written through.
    orelib::CFolderTree folders(m_params.ownedFolder ? m_params.ownedFolder->Handle() : heldTarget.Get(), target);
    // The job's reference keeps the callback alive to the end of the job.
    auto* extractCallback = new MyExtractCallback(*this, &folders);
    const CMyComPtr<IFolderArchiveExtractCallback> extractCallbackReference(extractCallback);
    MyOpenCallback openCallback;

    CObjectVector<COpenType> types;
    types.Add(EmbeddedArchiveType());
    const CIntVector excludedFormats;

    CExtractOptions options;
    options.PathMode = NExtract::NPathMode::kFullPaths;
    options.OverwriteMode = NExtract::NOverwriteMode::kAsk;
    options.OutputDir = us2fs(UString(target.c_str()));
    NName::NormalizeDirPathPrefix(options.OutputDir);
    // Item names come from the download: every item stays below the target.
    // Full paths (never absolute ones) drop "..", leading separators and drive
    // prefixes; links and alternate data streams are never made, a ":" in a
    // name becomes "_", and no stored security descriptors are applied.
    SetOff(options.NtOptions.SymLinks);
    SetOff(options.NtOptions.HardLinks);
    SetOff(options.NtOptions.AltStreams);
    SetOff(options.NtOptions.NtSecurity);
    options.NtOptions.ReplaceColonForAltStream = true;
    options.NtOptions.WriteToAltStreamIfColon = false;

    const UString name(m_params.archivePath.c_str());
    const HRESULT hr = ExtractFromStream(registry.codecs, types, excludedFormats, stream, name, options, &openCallback,
                                         extractCallback, extractCallback);

    if (!folders.FirstLink().empty()) {
        // Refused as a link, whatever the library made of the refusal.
        m_currentPath = folders.FirstLink();
        return static_cast<HRESULT>(HRESULT_CODE(orelib::kFolderIsLink));
    }
    if (hr != S_OK) {
        *message = extractCallback->LastMessage();
        return hr;
    }
    return m_params.payload.IsSet() ? payloadHash.Finish() : S_OK;
}

void CExtractThread::DescribeFailure(HRESULT hr, const std::wstring& message, ExtractError* error) const {
    if (!message.empty()) {
        error->kind = kExtractErrorOther;
        error->message = message;
        return;
    }
    const uint32_t code = static_cast<uint32_t>(hr);
    error->code = code;
    if (code == kExtractCodeDataError || code == kExtractCodeCrcError || code == kExtractCodePayloadChanged) {
        error->kind = kExtractErrorDamaged;
        return;
    }
    error->kind = kExtractErrorSystem;
    error->path = m_currentPath;
    if (code == kExtractCodeDiskFull) error->requiredBytes = m_totalBytes;
}

unsigned CExtractThread::Run() {
    ExtractError error;
    m_totalBytes = 0;
    // Failures come back as results; the library also throws, and each of
    // its exception types is turned into the same record here.
    HRESULT hr = E_UNEXPECTED;
    std::wstring message;
    try {
        hr = ExtractArchive(&message);
    } catch (const CSystemException& e) {
        hr = e.ErrorCode;
    } catch (NExitCode::EEnum code) {
        error.kind = kExtractErrorOther;
        error.code = static_cast<uint32_t>(code);
    } catch (const UString& text) {
        message = text.Ptr();
    } catch (const AString& text) {
        message = GetUnicodeString(text).Ptr();
    } catch (const char* text) {
        message = GetUnicodeString(AString(text ? text : "")).Ptr();
    } catch (int code) {
        error.kind = kExtractErrorOther;
        error.code = static_cast<uint32_t>(code);
    } catch (const std::bad_alloc&) {
        // Out of memory inside the library: a failure of the run, not of the process.
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    if (hr == S_OK) {
        PostToDialog(WM_SFX_EXTRACT_DONE);
        return 0;
    }
    if (hr == E_ABORT && message.empty()) {
        CleanUp();
        PostToDialog(WM_SFX_EXTRACT_CANCELLED);
        return 0;
    }
    if (error.kind != kExtractErrorOther) DescribeFailure(hr, message, &error);
    SendToDialog(WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error), 0);
    CleanUp();
    PostToDialog(WM_SFX_EXTRACT_FAILED);
    return 0;
}

void CExtractThread::CleanUp() const {
    if (!m_params.ownedFolder) return;
    PostToDialog(WM_SFX_DELETING_FILES);
    m_params.ownedFolder->Delete();
}

}  // namespace extract
