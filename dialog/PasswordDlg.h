#pragma once
// Asks for the archive password. Its texts are the template's English ones
// in every UI language.
#include <string>

#include "framework/Dialog.h"

namespace dialog {

class CEnterPasswordDlg : public framework::CDialog {
public:
    // The worker's buffer holds this many characters plus the terminator.
    static constexpr int kMaxPasswordLength = 1023;

    explicit CEnterPasswordDlg(framework::CWnd* parent, framework::COccManager* templateHook = nullptr);
    ~CEnterPasswordDlg() override;

    std::wstring m_password;  // filled on OK

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
};

// Copies `password` into a caller's buffer of `capacity` characters
// including the terminator. False, with the buffer emptied, when it does not
// fit: a password is never handed on cut short.
bool CopyPassword(const std::wstring& password, wchar_t* buffer, size_t capacity);

// Overwrites a string's characters before it is released.
void WipeString(std::wstring& text);

}  // namespace dialog
