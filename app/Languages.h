#pragma once
// The user's own culture, the installation languages a package offers, and
// the language step that picks one of them.
#include <string>

#include "orelib/Cultures.h"
#include "orelib/IniText.h"
#include "orelib/win32/UiText.h"
#include "app/StepResult.h"
#include "dialog/RunSettings.h"
#include "framework/OccManager.h"

namespace app {

// The user's culture, such as de-AT, from the UI language and the regional
// settings; "" when the system cannot name it.
std::wstring GetUserCulture();

// Fills `names` (culture -> display name) from the configuration's "LANG_"
// sections and sets `defaultCulture` to the best one for this user, or the
// first section's culture. False when the package offers no language.
bool CollectLanguages(const orelib::CIniText& config, orelib::CultureNameMap* names, std::wstring* defaultCulture);

// The language step: unless /l fixed the language, the default culture, and
// the user's choice in the language dialog when it is shown; then the product
// name in that language. Fails (with no text) when the user cancels. The
// dialog is made through `templateHook` when there is one.
StepResult SelectLanguage(dialog::CRunSettings& settings, orelib::CUiText& uiText,
                          framework::COccManager* templateHook = nullptr);

}  // namespace app
