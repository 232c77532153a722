#include "packager/platform/Password.h"

#include "orelib/Utf8.h"
#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"

namespace sfxpack {

std::string ResolvePassword(const PasswordSources& sources, bool* warnCommandLine) {
    *warnCommandLine = false;
    const int given = (sources.commandLine ? 1 : 0) + (sources.file ? 1 : 0) + (sources.environment ? 1 : 0);
    if (given > 1) {
        throw CPackError(
            "the password is given more than once (--password, --password-file, "
            "SFXPACK_PASSWORD); give it one way",
            kExitFailure, DiagCode::PasswordInvalid);
    }
    std::string password, from;
    if (sources.commandLine) {
        password = *sources.commandLine;
        from = "--password";
        *warnCommandLine = true;
    } else if (sources.file) {
        const std::vector<uint8_t> bytes = ReadWholeFile(*sources.file, "password file");
        password.assign(bytes.begin(), bytes.end());
        password = password.substr(0, password.find('\n'));
        if (!password.empty() && password.back() == '\r') password.pop_back();
        from = "the first line of password file '" + sources.file->string() + "'";
    } else if (sources.environment) {
        password = *sources.environment;
        from = "SFXPACK_PASSWORD";
    } else {
        return std::string();
    }
    if (password.empty()) {
        throw CPackError("the password from " + from + " is empty", kExitFailure, DiagCode::PasswordInvalid);
    }
    std::wstring typed;
    if (password.find('\0') != std::string::npos ||
        !orelib::Utf8ToWide(reinterpret_cast<const uint8_t*>(password.data()), password.size(), &typed)) {
        throw CPackError("the password from " + from + " is not UTF-8 text that can be typed", kExitFailure,
                         DiagCode::PasswordInvalid);
    }
    return password;
}

}  // namespace sfxpack
