#pragma once
// The window that drives a run after start-up: it starts the extraction
// worker when first shown (at once when hidden), shows progress in its bar,
// title and taskbar button, answers the worker's questions, reports its
// errors, and ends with the run's exit code.
#include <shobjidl.h>

#include <cstdint>
#include <string>

#include "dialog/RunSettings.h"
#include "dialog/SetupThread.h"
#include "extract/ExtractParams.h"
#include "extract/ExtractThread.h"
#include "orelib/win32/ComPtr.h"
#include "orelib/win32/GdiHandle.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/ScaledIcon.h"
#include "orelib/win32/UiText.h"
#include "orelib/win32/VistaDialog.h"
#include "orelib/win32/WorkingFolder.h"

namespace dialog {

class CSelfExtractingDlg : public orelib::CVistaDialog {
public:
    // Progress states of the bar and the taskbar button.
    enum ProgressState { kStateNormal = 1, kStateError = 2, kStatePaused = 3 };

    // Everything it reads is the caller's and outlives it: the settings and
    // texts of the run, the program's own file (which holds the archive) and,
    // in normal mode, the owner of the run's folder (null with /x); the hook
    // that it and its prompts are made through, when there is one.
    CSelfExtractingDlg(framework::CWnd* parent, const CRunSettings& settings, const orelib::CUiText& uiText,
                       const orelib::COwnFile& ownFile, orelib::CWorkingFolder* ownedFolder,
                       framework::COccManager* templateHook = nullptr);
    ~CSelfExtractingDlg() override;

    // Visible: the system's modal dialog. Hidden (quiet mode, or not
    // visible): a modeless window that stays hidden, with a modal loop.
    // IDOK, IDCANCEL, or 0 when the hidden window could not be created.
    INT_PTR DoModal() override;
    // DoModal, then the run's exit code. A dialog that could not even be
    // created has extracted nothing: that never ends the run with 0.
    uint32_t Run();

    void SetProgress(int permille);
    void SetProgressState(int state);
    void ShowExtractError(const extract::ExtractError& error);
    // The disk-full flow: true when the user chose where the next working
    // folder goes and extraction should start again there.
    virtual bool ChooseDestinationLocation(uint64_t requiredBytes);

    uint32_t m_exitCode = 0;  // the run's result

protected:
    BOOL OnInitDialog() override;
    // The dialog has no OK button: Enter must not close it while extracting.
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // WM_SFX_EXTRACT_DONE.
    LRESULT StartSetup();

    // The calls into the extraction worker; tests replace them.
    virtual bool StartExtractionWorker(const extract::ExtractParams& params);
    virtual void RequestExtractionStop();
    virtual void WaitForExtractionEnd();
    // The calls into the setup worker; tests replace them.
    virtual bool StartSetupWorker(const SetupJob& job);
    virtual std::wstring SetupErrorFile() const;

    const std::wstring& WorkingFolder() const { return m_workingFolder; }
    // After the failed extraction deleted the old folder: the owner makes the
    // next one where ChooseDestinationLocation was told; false (after its
    // message) when it cannot.
    virtual bool RelocateWorkingFolder();

private:
    // The run's message boxes belong to this window, quiet or not as the run is.
    int ShowMessage(const std::wstring& text, UINT type) const;
    void InitPrettyLayout(double scale);
    // Starts the worker; when it cannot be started, ends the run as failed.
    void StartExtraction();
    void OnTaskbarButtonCreated();
    LRESULT OnExtractError(const extract::ExtractError* error);
    LRESULT OnExtractFailed();
    LRESULT OnAskOverwrite(const wchar_t* fileName);
    LRESULT OnAskPassword(wchar_t* buffer, LPARAM capacity);
    void ShowProgressTitle(int percent);
    void StartSetupProgram();
    LRESULT OnSetupFinished(uint32_t value, bool ran);
    void ShowLaunchError(uint32_t code, const std::wstring& file);
    void EndWithLaunchError(uint32_t code, const std::wstring& file);

    const CRunSettings& m_settings;
    const orelib::CUiText& m_uiText;
    const orelib::COwnFile& m_ownFile;
    // "TaskbarButtonCreated", registered when the dialog is made: the shell
    // sends it when the dialog's taskbar button exists.
    const UINT m_taskbarButtonCreatedMessage;

    // Destroyed in reverse order: the workers stop before the folder string
    // and the controls they report to go.
    orelib::CScaledIcon m_headerIcon;
    orelib::CComPtr<ITaskbarList3> m_taskbarList;
    framework::CWnd m_progressBar;
    std::wstring m_workingFolder;
    orelib::CWorkingFolder* m_ownedFolder;  // the run's own folder; null with /x
    std::wstring m_relocationParent;        // where the disk-full flow puts the next folder
    extract::CExtractThread m_extractThread;
    CSetupThread m_setupThread;
    framework::CWnd m_iconControl;
    orelib::CFont m_headerFont;
    framework::CWnd* m_parentWindow;
    bool m_started = false;
    bool m_retryRequested = false;
};

}  // namespace dialog
