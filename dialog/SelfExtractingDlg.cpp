#include "dialog/SelfExtractingDlg.h"

#include <commctrl.h>

#include "dialog/RunExitCodes.h"
#include "dialog/ExtractErrorText.h"
#include "dialog/OverwriteDlg.h"
#include "dialog/PasswordDlg.h"
#include "extract/WindowMessages.h"
#include "framework/MessageBox.h"
#include "orelib/LaunchPlan.h"
#include "orelib/StringFormat.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/Process.h"
#include "orelib/win32/WindowIcons.h"
#include "resources/resource.h"

namespace dialog {

using namespace extract;

namespace {

constexpr int kProgressRange = 1000;
constexpr int kIconSizeAt96Dpi = 48;
constexpr int kTextGapDlu = 9;  // between the header icon and the texts

}  // namespace

CSelfExtractingDlg::CSelfExtractingDlg(framework::CWnd* parent, const CRunSettings& settings,
                                       const orelib::CUiText& uiText, const orelib::COwnFile& ownFile,
                                       orelib::CWorkingFolder* ownedFolder, framework::COccManager* templateHook)
    : orelib::CVistaDialog(settings.m_progressPretty ? IDD_PROGRESS_PRETTY : IDD_PROGRESS_SIMPLE, parent,
                           templateHook),
      m_settings(settings),
      m_uiText(uiText),
      m_ownFile(ownFile),
      m_taskbarButtonCreatedMessage(RegisterWindowMessageW(L"TaskbarButtonCreated")),
      m_workingFolder(settings.m_workingFolder),
      m_ownedFolder(ownedFolder),
      m_parentWindow(parent) {}

CSelfExtractingDlg::~CSelfExtractingDlg() {
    // The window goes first: a worker still running while its thread object
    // is destroyed then finds no window to report to.
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

int CSelfExtractingDlg::ShowMessage(const std::wstring& text, UINT type) const {
    return framework::ShowMessageBox(m_hWnd, m_settings.m_quiet, text.c_str(), type);
}

uint32_t CSelfExtractingDlg::Run() {
    const INT_PTR result = DoModal();
    if ((result == 0 || result == -1) && m_exitCode == 0) return kExitSetupFailed;
    return m_exitCode;
}

INT_PTR CSelfExtractingDlg::DoModal() {
    if (!m_settings.m_quiet && m_settings.m_progressVisible) return orelib::CVistaDialog::DoModal();

    // The templates lack WS_VISIBLE, so the modeless window stays hidden.
    if (!Create(m_parentWindow)) return 0;
    if (!m_started) {
        m_started = true;
        PostMessage(WM_SFX_START_EXTRACTION);
    }
    INT_PTR result = RunModalLoop();
    DestroyWindow(m_hWnd);
    return result;
}

void CSelfExtractingDlg::DoDataExchange(framework::CDataExchange* dx) {
    orelib::CVistaDialog::DoDataExchange(dx);
    framework::DDX_Control(dx, IDC_PROGRESS, m_progressBar);
    if (m_settings.m_progressPretty) framework::DDX_Control(dx, IDC_HEADER_ICON, m_iconControl);
}

BOOL CSelfExtractingDlg::OnInitDialog() {
    orelib::CVistaDialog::OnInitDialog();

    // The shell runs unelevated: let its message through to this elevated window.
    ChangeWindowMessageFilterEx(m_hWnd, m_taskbarButtonCreatedMessage, MSGFLT_ALLOW, nullptr);
    double scale = orelib::WindowDpiX(m_hWnd) / 96.0;

    orelib::SetWindowIconsFromResource(m_hWnd, GetModuleHandleW(nullptr), IDI_APP);

    SetDlgItemText(IDCANCEL, m_uiText.LoadUiString(IDS_CANCEL));
    SetDlgItemText(IDC_STATUS_TEXT, m_uiText.LoadUiString(IDS_PREPARING));
    ShowProgressTitle(0);

    if (m_settings.m_progressPretty) InitPrettyLayout(scale);

    m_progressBar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));
    return TRUE;
}

void CSelfExtractingDlg::InitPrettyLayout(double scale) {
    LOGFONTW logFont{};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (dialogFont && GetObjectW(dialogFont, sizeof(logFont), &logFont)) {
        logFont.lfWeight = FW_BOLD;
        m_headerFont.Reset(CreateFontIndirectW(&logFont));
        ::SendMessageW(GetDlgItem(IDC_PRODUCT_NAME), WM_SETFONT, reinterpret_cast<WPARAM>(m_headerFont.Get()), TRUE);
    }
    SetDlgItemText(IDC_PRODUCT_NAME, m_settings.m_productName);

    int iconSize = static_cast<int>(scale * kIconSizeAt96Dpi);
    if (m_headerIcon.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), iconSize, iconSize)) {
        m_iconControl.SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(m_headerIcon.Get()));
    }

    // The icon control has taken the icon's real size: line the texts and
    // the bar up behind it.
    RECT gap{0, 0, kTextGapDlu, 0};
    MapDialogRect(m_hWnd, &gap);
    int left = GetChildRect(m_iconControl.m_hWnd).right + gap.right;
    for (int id : {IDC_STATUS_TEXT, IDC_PRODUCT_NAME, IDC_PROGRESS}) {
        HWND control = GetDlgItem(id);
        RECT rect = GetChildRect(control);
        rect.left = left;
        MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
}

void CSelfExtractingDlg::ShowProgressTitle(int percent) {
    SetWindowText(orelib::FormatOneNumber(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), percent));
}

void CSelfExtractingDlg::SetProgress(int permille) {
    m_progressBar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(permille));
    ShowProgressTitle(permille / 10);
    if (m_taskbarList) m_taskbarList->SetProgressValue(m_hWnd, static_cast<ULONGLONG>(permille), kProgressRange);
}

void CSelfExtractingDlg::SetProgressState(int state) {
    // Progress-bar states exist from Windows 6.0 on.
    if (orelib::GetOsVersionNumber() >= orelib::kWindowsVistaVersion)
        m_progressBar.SendMessage(PBM_SETSTATE, static_cast<WPARAM>(state));
    if (m_taskbarList) {
        TBPFLAG flag = state == kStateError ? TBPF_ERROR : state == kStatePaused ? TBPF_PAUSED : TBPF_NORMAL;
        m_taskbarList->SetProgressState(m_hWnd, flag);
    }
}

void CSelfExtractingDlg::OnTaskbarButtonCreated() {
    m_taskbarList.Reset();
    HRESULT hr = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                  m_taskbarList.ReceiveVoid());
    if (SUCCEEDED(hr) && m_taskbarList && FAILED(m_taskbarList->HrInit())) m_taskbarList.Reset();
}

void CSelfExtractingDlg::OnOK() {}

void CSelfExtractingDlg::OnCancel() {
    // Extraction goes on while the question is open; in quiet mode the
    // answer is 0 and nothing happens.
    if (ShowMessage(m_uiText.LoadUiString(IDS_CONFIRM_CANCEL), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    RequestExtractionStop();
    EnableWindow(GetDlgItem(IDCANCEL), FALSE);
}

bool CSelfExtractingDlg::StartExtractionWorker(const ExtractParams& params) {
    return m_extractThread.StartExtraction(params);
}

void CSelfExtractingDlg::RequestExtractionStop() { m_extractThread.RequestStop(false); }

void CSelfExtractingDlg::WaitForExtractionEnd() { m_extractThread.WaitForEnd(); }

void CSelfExtractingDlg::StartExtraction() {
    ExtractParams params;
    params.notifyWindow = m_hWnd;
    params.archivePath = m_ownFile.Path();
    params.archiveFile = m_ownFile.Get();
    params.payload = m_ownFile.Payload();
    params.targetFolder = m_workingFolder;
    params.ownedFolder = m_ownedFolder;
    if (StartExtractionWorker(params)) return;

    // Without a worker no message would ever end this dialog: report it,
    // delete the folder and end the run, in quiet and hidden runs too.
    ExtractError error;
    error.kind = kExtractErrorSystem;
    error.code = static_cast<uint32_t>(orelib::FailureFromLastError());
    if (!m_settings.m_quiet) {
        SetProgressState(kStateError);
        ShowExtractError(error);
    }
    if (m_ownedFolder) m_ownedFolder->Delete();
    m_exitCode = kExitSetupFailed;
    EndDialog(IDCANCEL);
}

void CSelfExtractingDlg::ShowExtractError(const ExtractError& error) {
    ExtractErrorTexts texts;
    texts.corrupted = m_uiText.LoadUiString(IDS_CORRUPTED);
    texts.extractFailed = m_uiText.LoadUiString(IDS_EXTRACT_FAILED);
    if (error.kind == kExtractErrorSystem) texts.systemText = orelib::FormatErrorText(error.code);
    std::wstring text = BuildExtractErrorText(error.kind, error.code, error.message, error.path, texts);
    if (!m_settings.m_quiet) SetForegroundWindow(m_hWnd);
    ShowMessage(text, MB_OK | MB_ICONERROR);
}

LRESULT CSelfExtractingDlg::OnExtractError(const ExtractError* error) {
    if (m_settings.m_quiet || !error) return 0;
    if (!m_settings.m_extractOnly && error->kind == kExtractErrorSystem && error->code == kExtractCodeDiskFull) {
        m_retryRequested = ChooseDestinationLocation(error->requiredBytes);
        return 0;
    }
    SetProgressState(kStateError);
    ShowExtractError(*error);
    SetProgressState(kStateNormal);
    SetProgress(0);
    return 0;
}

LRESULT CSelfExtractingDlg::OnExtractFailed() {
    if (m_retryRequested) {
        m_retryRequested = false;
        SetProgressState(kStateNormal);
        SetProgress(0);
        SetDlgItemText(IDC_STATUS_TEXT, m_uiText.LoadUiString(IDS_PREPARING));
        // The worker has posted its last message but may not have returned
        // yet; it has deleted the old folder by now.
        WaitForExtractionEnd();
        if (RelocateWorkingFolder()) {
            StartExtraction();
            return 0;
        }
    }
    m_exitCode = kExitSetupFailed;
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CSelfExtractingDlg::OnAskOverwrite(const wchar_t* fileName) {
    // The name lives on the worker's stack: keep a copy.
    std::wstring name = fileName ? fileName : L"";
    if (!m_settings.m_extractOnly) return kOverwriteNotAsked;
    if (m_settings.m_quiet) return kOverwriteAll;

    SetProgressState(kStatePaused);
    SetForegroundWindow(m_hWnd);
    COverwriteDlg prompt(m_workingFolder, name, m_uiText, this, TemplateHook());
    INT_PTR answer = prompt.DoModal();
    SetProgressState(kStateNormal);
    return answer == IDOK ? kOverwriteAll : kOverwriteCancel;
}

LRESULT CSelfExtractingDlg::OnAskPassword(wchar_t* buffer, LPARAM capacity) {
    if (m_settings.m_nobodyToAsk) return IDCANCEL;  // a prompt nobody can see would wait for ever
    CEnterPasswordDlg prompt(this, TemplateHook());
    INT_PTR result = prompt.DoModal();
    if (result == IDOK && !CopyPassword(prompt.m_password, buffer, capacity > 0 ? static_cast<size_t>(capacity) : 0)) {
        result = IDCANCEL;  // never a password cut short
    }
    return result;
}

LRESULT CSelfExtractingDlg::StartSetup() {
    SetProgress(kProgressRange);
    if (m_settings.m_extractOnly) {
        std::wstring text = L"Installation files successfully extracted into folder:\n" + m_workingFolder;
        ShowMessage(text, MB_OK | MB_ICONINFORMATION);
        EndDialog(IDOK);
        return 0;
    }
    StartSetupProgram();
    return 0;
}

bool CSelfExtractingDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == m_taskbarButtonCreatedMessage && message != 0) {
        OnTaskbarButtonCreated();
        result = 0;
        return true;
    }
    switch (message) {
    case WM_WINDOWPOSCHANGED: {
        result = Default();
        auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!m_started && position && (position->flags & SWP_SHOWWINDOW)) {
            m_started = true;
            PostMessage(WM_SFX_START_EXTRACTION);
        }
        return true;
    }
    case WM_SFX_START_EXTRACTION:
        StartExtraction();
        result = 0;
        return true;
    case WM_SFX_EXTRACT_DONE:
        result = StartSetup();
        return true;
    case WM_SFX_SETUP_STARTED:
        ShowWindow(m_hWnd, SW_HIDE);
        result = 0;
        return true;
    case WM_SFX_SETUP_FINISHED:
        result = OnSetupFinished(static_cast<uint32_t>(wParam), lParam != 0);
        return true;
    case WM_SFX_EXTRACT_CANCELLED:
        m_exitCode = kExitUserCancelled;
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    case WM_SFX_EXTRACT_FAILED:
        result = OnExtractFailed();
        return true;
    case WM_SFX_EXTRACT_ERROR:
        result = OnExtractError(reinterpret_cast<const ExtractError*>(wParam));
        return true;
    case WM_SFX_PROGRESS:
        ReplyMessage(0);  // release the worker before repainting
        SetProgress(static_cast<int>(lParam));
        result = 0;
        return true;
    case WM_SFX_ASK_OVERWRITE:
        result = OnAskOverwrite(reinterpret_cast<const wchar_t*>(lParam));
        return true;
    case WM_SFX_DELETING_FILES:
        SetDlgItemText(IDC_STATUS_TEXT, m_uiText.LoadUiString(IDS_DELETING_FILES));
        result = 0;
        return true;
    case WM_SFX_ASK_PASSWORD:
        result = OnAskPassword(reinterpret_cast<wchar_t*>(wParam), lParam);
        return true;
    default:
        return orelib::CVistaDialog::OnMessage(message, wParam, lParam, result);
    }
}

}  // namespace dialog
