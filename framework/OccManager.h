#pragma once
// The dialog-creation hook: a manager given to a dialog sees its template
// before the dialog is created and may replace it.
#include <windows.h>

#include <cstdint>
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

}  // namespace framework
