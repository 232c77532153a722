#pragma once
// The dialog-creation hook: one manager, registered once at start-up, sees
// every dialog template before the dialog is created and may replace it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace framework {

// What the hook learns about one dialog creation, and where it leaves a
// replacement template. The framework frees the replacement after creation.
struct COccDialogInfo {
    const DLGTEMPLATE* m_template = nullptr;  // the resource template
    size_t m_templateSize = 0;                // its size in bytes
    std::vector<uint8_t> m_newTemplate;       // replacement; empty = none
};

class COccManager {
public:
    virtual ~COccManager() = default;

    // Returns the template to create the dialog from. The base uses the given one.
    virtual const DLGTEMPLATE* PreCreateDialog(COccDialogInfo* info, const DLGTEMPLATE* dialogTemplate);
    // Called once the dialog exists (or its creation failed): drops the replacement.
    virtual void PostCreateDialog(COccDialogInfo* info);
};

// Installs the manager for the rest of the run (the previous one is freed).
void AfxEnableControlContainer(std::unique_ptr<COccManager> manager);
// The installed manager, or null.
COccManager* AfxGetOccManager();

}  // namespace framework
