#pragma once
// Our small stand-in for the application framework's application class:
// one global object, InitInstance / ExitInstance, and the message-box hook.
#include <windows.h>

namespace framework {

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const wchar_t* appName);
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns FALSE to skip the message loop and go straight to ExitInstance.
    virtual BOOL InitInstance();
    virtual int Run();
    // Its result becomes the process exit code.
    virtual int ExitInstance();
    // Every message box of the program goes through here.
    virtual int DoMessageBox(const wchar_t* prompt, UINT type, UINT helpContext);

    // The window that owns the framework's message boxes; null for none.
    // The window object may be set before its window exists.
    HWND MainWindow() const;
    void SetMainWindow(CWnd* window) { m_mainWindow = window; }
    CWnd* MainWnd() const { return m_mainWindow; }

private:
    const wchar_t* m_appName;
    CWnd* m_mainWindow = nullptr;
};

// The one application object, registered by its constructor.
CWinApp* AfxGetApp();

// Shows a message box through the application's hook.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK, UINT helpContext = 0);

// Runs the application object: the body of the program's entry point.
int AfxWinMain();

}  // namespace framework
