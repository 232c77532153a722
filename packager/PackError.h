#pragma once
// The one failure type of the packager: a message for the user, printed as
// "sfxpack: error: <message>", and the exit code of its class.
#include <stdexcept>
#include <string>

#include "packager/ExitCodes.h"

namespace sfxpack {

class CPackError : public std::runtime_error {
public:
    explicit CPackError(const std::string& message, int exitCode = kExitFailure)
        : std::runtime_error(message), m_exitCode(exitCode) {}
    int ExitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

}  // namespace sfxpack
