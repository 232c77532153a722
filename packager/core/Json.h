#pragma once
// A small JSON value and writer for the packager's --json output: objects
// (keys kept in the order they were added), arrays, strings, 64-bit
// integers, booleans and null. Writing only; sfxpack never reads JSON.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sfxpack {

class CJson {
public:
    enum class Kind { Null, Bool, Signed, Unsigned, String, Array, Object };

    CJson() = default;  // null
    CJson(bool value) : m_kind(Kind::Bool), m_bool(value) {}
    CJson(int value) : CJson(static_cast<long long>(value)) {}
    CJson(long value) : CJson(static_cast<long long>(value)) {}
    CJson(long long value) : m_kind(Kind::Signed), m_signed(static_cast<int64_t>(value)) {}
    CJson(unsigned value) : CJson(static_cast<unsigned long long>(value)) {}
    CJson(unsigned long value) : CJson(static_cast<unsigned long long>(value)) {}
    CJson(unsigned long long value) : m_kind(Kind::Unsigned), m_unsigned(static_cast<uint64_t>(value)) {}
    CJson(const char* text) : m_kind(Kind::String), m_text(text) {}
    CJson(std::string text) : m_kind(Kind::String), m_text(std::move(text)) {}

    static CJson Array() { return CJson(Kind::Array); }
    static CJson Object() { return CJson(Kind::Object); }

    // Appends to an array.
    CJson& Push(CJson value);
    // Sets a key of an object (replacing an earlier value of the same key).
    CJson& Set(const std::string& key, CJson value);

    Kind GetKind() const { return m_kind; }

private:
    explicit CJson(Kind kind) : m_kind(kind) {}
    friend void WriteJson(const CJson& value, std::string* out, int indent);

    Kind m_kind = Kind::Null;
    bool m_bool = false;
    int64_t m_signed = 0;
    uint64_t m_unsigned = 0;
    std::string m_text;
    std::vector<CJson> m_items;                            // array
    std::vector<std::pair<std::string, CJson>> m_members;  // object
};

// `text` as a JSON string literal with its quotes. Quote, backslash and the
// control characters U+0000 to U+001F and U+007F are escaped; other UTF-8
// passes through as it is. Each byte that is not part of well-formed UTF-8
// (also overlong forms and encoded surrogates) becomes U+FFFD, so the
// output is always valid UTF-8.
std::string JsonString(const std::string& text);

// The document, indented by two spaces per level, ending with a newline.
std::string ToJsonText(const CJson& value);

}  // namespace sfxpack
