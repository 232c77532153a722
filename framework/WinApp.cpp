#include "framework/WinApp.h"

#include "framework/Wnd.h"

namespace framework {

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const wchar_t* appName) : m_appName(appName) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

HWND CWinApp::MainWindow() const { return HwndOf(m_mainWindow); }

int CWinApp::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

int CWinApp::DoMessageBox(const wchar_t* prompt, UINT type, UINT /*helpContext*/) {
    HWND main = MainWindow();
    HWND owner = main && IsWindow(main) ? main : nullptr;
    return MessageBoxW(owner, prompt, m_appName, type | (owner ? 0 : MB_SETFOREGROUND));
}

CWinApp* AfxGetApp() { return g_app; }

int AfxMessageBox(const wchar_t* text, UINT type, UINT helpContext) {
    CWinApp* app = AfxGetApp();
    if (!app) return MessageBoxW(nullptr, text, L"", type);
    return app->DoMessageBox(text, type, helpContext);
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

}  // namespace framework
