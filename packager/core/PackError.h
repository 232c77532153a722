#pragma once
// The one failure type of the packager: a message for the user, printed as
// "sfxpack: error: <message>", the exit code of its class and its code.
#include <stdexcept>
#include <string>

#include "packager/core/Diagnostics.h"
#include "packager/core/ExitCodes.h"

namespace sfxpack {

class CPackError : public std::runtime_error {
public:
    explicit CPackError(const std::string& message, int exitCode = kExitFailure, DiagCode code = DiagCode::Failure)
        : std::runtime_error(message), m_exitCode(exitCode), m_code(code) {}
    int ExitCode() const { return m_exitCode; }
    DiagCode Code() const { return m_code; }
    // The same failure with `prefix` before its message.
    CPackError Prefixed(const std::string& prefix) const { return CPackError(prefix + what(), m_exitCode, m_code); }

private:
    int m_exitCode;
    DiagCode m_code;
};

// Returns what `operation` returns; a CPackError it throws comes out with
// `prefix` before its message: the context only the caller knows.
template <class Operation>
auto WithContext(const std::string& prefix, Operation&& operation) -> decltype(operation()) {
    try {
        return operation();
    } catch (const CPackError& e) {
        throw e.Prefixed(prefix);
    }
}

}  // namespace sfxpack
