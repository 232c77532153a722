#pragma once
// The one failure type of the packager: a message for the user, printed as
// "sfxpack: error: <message>".
#include <stdexcept>
#include <string>

namespace sfxpack {

class CPackError : public std::runtime_error {
public:
    explicit CPackError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace sfxpack
