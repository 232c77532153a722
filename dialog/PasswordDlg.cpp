#include "dialog/PasswordDlg.h"

#include "resources/resource.h"

namespace dialog {

void WipeString(std::wstring& text) {
    if (!text.empty()) SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    text.clear();
}

bool CopyPassword(const std::wstring& password, wchar_t* buffer, size_t capacity) {
    if (!buffer || capacity == 0) return false;
    if (password.size() >= capacity) {
        buffer[0] = L'\0';
        return false;
    }
    password.copy(buffer, password.size());
    buffer[password.size()] = L'\0';
    return true;
}

CEnterPasswordDlg::CEnterPasswordDlg(framework::CWnd* parent, framework::COccManager* templateHook)
    : framework::CDialog(IDD_PASSWORD, parent, templateHook) {}

CEnterPasswordDlg::~CEnterPasswordDlg() { WipeString(m_password); }

BOOL CEnterPasswordDlg::OnInitDialog() {
    framework::CDialog::OnInitDialog();
    // Longer entries could not reach the decoder whole.
    SendDlgItemMessageW(m_hWnd, IDC_PASSWORD, EM_SETLIMITTEXT, kMaxPasswordLength, 0);
    return TRUE;
}

void CEnterPasswordDlg::DoDataExchange(framework::CDataExchange* dx) {
    framework::CDialog::DoDataExchange(dx);
    framework::DDX_Text(dx, IDC_PASSWORD, m_password);
}

}  // namespace dialog
