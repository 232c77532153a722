#pragma once
// The worker thread that extracts the archive embedded in the running
// executable into the working folder, reporting to the dialog by messages.
#include <windows.h>

#include <cstdint>
#include <string>

#include "extract/ExtractParams.h"
#include "orelib/win32/WorkerThread.h"

namespace extract {

class CExtractThread : public orelib::CWorkerThread {
public:
    CExtractThread() = default;
    ~CExtractThread() override = default;

    // UI thread, while no run is active: copies the parameters and starts a run.
    bool StartExtraction(const ExtractParams& params);

    // The thread body: one extraction, then exactly one of
    // WM_SFX_EXTRACT_DONE, WM_SFX_EXTRACT_CANCELLED, WM_SFX_EXTRACT_FAILED.
    unsigned Run() override;

    // For the extract callback, on the worker thread.
    const ExtractParams& Params() const { return m_params; }
    const std::wstring& CurrentPath() const { return m_currentPath; }
    void SetCurrentPath(const wchar_t* path) { m_currentPath = path ? path : L""; }
    uint64_t TotalBytes() const { return m_totalBytes; }
    void SetTotalBytes(uint64_t total) { m_totalBytes = total; }

    // Messages to the dialog. Without a window nothing is posted and every
    // send counts as answered 0.
    LRESULT SendToDialog(UINT message, WPARAM wParam, LPARAM lParam) const;
    void PostToDialog(UINT message) const;

private:
    // S_OK, or the failure (with the library's own text in *message when it
    // gave one) that Run turns into an ExtractError.
    HRESULT ExtractArchive(std::wstring* message);
    void DescribeFailure(HRESULT hr, const std::wstring& message, ExtractError* error) const;
    void CleanUp() const;

    ExtractParams m_params;
    std::wstring m_currentPath;  // the item being extracted; kept between runs
    uint64_t m_totalBytes = 0;
};

}  // namespace extract
