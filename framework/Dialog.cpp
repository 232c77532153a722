#include "framework/Dialog.h"

#include "framework/OccManager.h"

namespace framework {

namespace {

// The dialog resource `id` of the program's own module, through the
// creation hook when there is one. `info` keeps a replacement template alive
// until creation.
const DLGTEMPLATE* PrepareTemplate(UINT id, COccManager* hook, COccDialogInfo& info) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!resource) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
    if (!dialogTemplate) return nullptr;
    info.m_template = dialogTemplate;
    info.m_templateSize = SizeofResource(module, resource);
    return hook ? hook->PreCreateDialog(&info, dialogTemplate) : dialogTemplate;
}

void FinishTemplate(COccManager* hook, COccDialogInfo& info) {
    if (hook) {
        hook->PostCreateDialog(&info);
    } else {
        info.m_newTemplate.clear();
    }
}

// Messages whose reply a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool RepliesDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    }
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd) control.m_hWnd = dx->m_dialog->GetDlgItem(id);
}

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
    if (dx->m_saveAndValidate) {
        value = dx->m_dialog->GetDlgItemText(id);
    } else {
        dx->m_dialog->SetDlgItemText(id, value);
    }
}

CDialog::CDialog(UINT templateId, CWnd* parent, COccManager* templateHook)
    : m_templateId(templateId), m_parent(parent), m_templateHook(templateHook) {}

CDialog::~CDialog() {
    // A modeless dialog still open goes with its object.
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    // The parent owns the dialog: it stays in front of it and disables it
    // while open.
    const HWND owner = HwndOf(m_parent);
    COccDialogInfo info;
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate(m_templateId, m_templateHook, info);
    if (!dialogTemplate) return -1;
    m_modal = true;
    m_result = IDCANCEL;
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    m_modal = false;
    FinishTemplate(m_templateHook, info);
    return result;
}

bool CDialog::Create(CWnd* parent) {
    if (m_hWnd) return false;
    m_parent = parent;
    COccDialogInfo info;
    const DLGTEMPLATE* dialogTemplate = PrepareTemplate(m_templateId, m_templateHook, info);
    if (!dialogTemplate) return false;
    m_modal = false;
    m_loopEnded = false;
    m_result = IDCANCEL;
    HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, HwndOf(parent), DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    FinishTemplate(m_templateHook, info);
    return window != nullptr;
}

INT_PTR CDialog::RunModalLoop() {
    while (!m_loopEnded && m_hWnd) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to an outer loop: hand it on and stop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return -1;
        }
        if (got < 0) return -1;
        if (!m_hWnd || !IsDialogMessageW(m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return m_result;
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    if (m_modal) {
        ::EndDialog(m_hWnd, result);
    } else {
        m_loopEnded = true;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (!m_hWnd) return false;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return false;
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
        return false;
    default:
        return false;
    }
}

LRESULT CDialog::Default() {
    // DefDlgProcW first asks our dialog procedure; that one call passes the
    // message straight back so the system's own handling runs.
    m_skipNextDispatch = true;
    LRESULT result = DefDlgProcW(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
    m_skipNextDispatch = false;
    return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_hWnd = window;
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;
    if (self->m_skipNextDispatch) {
        self->m_skipNextDispatch = false;
        return FALSE;
    }
    INT_PTR reply = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return reply;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage outer = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    bool handled = OnMessage(message, wParam, lParam, result);
    m_current = outer;
    if (!handled) return FALSE;
    if (RepliesDirectly(message)) return static_cast<INT_PTR>(result);
    if (m_hWnd) SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace framework
