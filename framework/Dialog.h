#pragma once
// Our stand-in for the framework's dialog class: a dialog built from a
// resource template by ID, run modally (DoModal) or created modeless (Create)
// and driven by RunModalLoop. Messages reach OnMessage, which each subclass
// overrides and chains to its base, in place of message maps. A dialog is
// owned by its parent only; the creation hook, when given, sees its template
// first (the program's dialog font).
#include <windows.h>

#include <string>

#include "framework/Wnd.h"

namespace framework {

class CDialog;
class COccManager;

// One exchange between the dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_dialog(dialog), m_saveAndValidate(saveAndValidate) {}

    CDialog* m_dialog;
    bool m_saveAndValidate;  // true: controls -> members; false: members -> controls
};

// Binds a member to control `id` (once; later exchanges keep the binding).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Exchanges the text of control `id` with `value`.
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);

class CDialog : public CWnd {
public:
    // `templateHook` (may be null) is the caller's and outlives the dialog.
    CDialog(UINT templateId, CWnd* parent = nullptr, COccManager* templateHook = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK, IDCANCEL or the value given to EndDialog;
    // -1 when the dialog could not be created.
    virtual INT_PTR DoModal();

    // Creates the dialog modeless from its template; visible only when the
    // template says so. False when creation failed.
    bool Create(CWnd* parent = nullptr);
    // Runs a modal message loop for a dialog made by Create until EndDialog.
    INT_PTR RunModalLoop();
    // Ends DoModal or RunModalLoop with `result`.
    void EndDialog(INT_PTR result);

    // Runs DoDataExchange in the given direction.
    bool UpdateData(bool saveAndValidate = true);

protected:
    // WM_INITDIALOG: binds the controls (UpdateData(false)); TRUE lets the
    // system set the focus.
    virtual BOOL OnInitDialog();
    // IDOK: takes the controls' values and ends with IDOK.
    virtual void OnOK();
    // IDCANCEL (Cancel, Escape, close box): ends with IDCANCEL.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);

    // Every message of the dialog window. Return true when handled, with the
    // message's reply in `result`; subclasses chain to their base for the rest.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The system's default handling of the message being handled now.
    LRESULT Default();

    // The hook this dialog was made with, for the prompts it opens.
    COccManager* TemplateHook() const { return m_templateHook; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    UINT m_templateId;
    CWnd* m_parent;
    COccManager* m_templateHook;
    bool m_modal = false;      // DoModal runs the system's dialog loop
    bool m_loopEnded = false;  // RunModalLoop ends at the next turn
    INT_PTR m_result = IDCANCEL;
    CurrentMessage m_current;
    bool m_skipNextDispatch = false;  // Default(): let the system handle it
};

}  // namespace framework
