#include "framework/OccManager.h"

namespace framework {

namespace {
std::unique_ptr<COccManager>& Installed() {
    static std::unique_ptr<COccManager> manager;
    return manager;
}
}  // namespace

const DLGTEMPLATE* COccManager::PreCreateDialog(COccDialogInfo* info, const DLGTEMPLATE* dialogTemplate) {
    return dialogTemplate;
}

void COccManager::PostCreateDialog(COccDialogInfo* info) {
    info->m_newTemplate.clear();
    info->m_newTemplate.shrink_to_fit();
}

void AfxEnableControlContainer(std::unique_ptr<COccManager> manager) { Installed() = std::move(manager); }

COccManager* AfxGetOccManager() { return Installed().get(); }

}  // namespace framework
