#include "framework/OccManager.h"

namespace framework {

const DLGTEMPLATE* COccManager::PreCreateDialog(COccDialogInfo* info, const DLGTEMPLATE* dialogTemplate) {
    return dialogTemplate;
}

void COccManager::PostCreateDialog(COccDialogInfo* info) {
    info->m_newTemplate.clear();
    info->m_newTemplate.shrink_to_fit();
}

}  // namespace framework
