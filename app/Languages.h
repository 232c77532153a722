#pragma once
// The user's own culture and the installation languages a package offers.
#include <string>

#include "orelib/Cultures.h"
#include "orelib/IniText.h"

// The user's culture, such as de-AT, from the UI language and the regional
// settings; "" when the system cannot name it.
std::wstring GetUserCulture();

// Fills `names` (culture -> display name) from the configuration's "LANG_"
// sections and sets `defaultCulture` to the best one for this user, or the
// first section's culture. False when the package offers no language.
bool CollectLanguages(const orelib::CIniText& config, orelib::CultureNameMap* names,
                      std::wstring* defaultCulture);
