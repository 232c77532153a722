#pragma once
// How a start-up step ends. S_OK: the run goes on. A failure carries its
// HRESULT and the complete text the user is to see, or no text when the step
// has shown its own window (the help) or the user cancelled. The application
// object is the one place that shows the text and picks the exit code.
#include <windows.h>

#include <string>

namespace app {

struct StepResult {
    HRESULT hr = S_OK;
    std::wstring message;

    bool Failed() const { return FAILED(hr); }
    static StepResult Ok() { return StepResult(); }
    static StepResult Fail(HRESULT hr, std::wstring message = std::wstring()) {
        return StepResult{hr, std::move(message)};
    }
};

}  // namespace app
