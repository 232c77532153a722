#pragma once
// The dialog-creation hook of the program: from Windows 6.0 on, every dialog
// is created in the system's message font instead of its template font.
#include "framework/OccManager.h"

namespace orelib {

class CFontOccManager : public framework::COccManager {
public:
    const DLGTEMPLATE* PreCreateDialog(framework::COccDialogInfo* info, const DLGTEMPLATE* dialogTemplate) override;
};

}  // namespace orelib
