#include "packager/core/Json.h"

namespace sfxpack {

namespace {

// The length of the well-formed UTF-8 sequence at `p`, or 0.
size_t Utf8SequenceLength(const unsigned char* p, size_t left) {
    const unsigned char c = p[0];
    size_t length = 0;
    uint32_t min = 0;
    uint32_t point = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        min = 0x80;
        point = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        min = 0x800;
        point = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        min = 0x10000;
        point = c & 0x07;
    } else
        return 0;
    if (left < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        point = (point << 6) | (p[i] & 0x3F);
    }
    if (point < min || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

void Indent(std::string* out, int level) {
    out->push_back('\n');
    out->append(static_cast<size_t>(level) * 2, ' ');
}

}  // namespace

CJson& CJson::Push(CJson value) {
    m_items.push_back(std::move(value));
    return m_items.back();
}

CJson& CJson::Set(const std::string& key, CJson value) {
    for (auto& member : m_members) {
        if (member.first == key) return member.second = std::move(value);
    }
    m_members.emplace_back(key, std::move(value));
    return m_members.back().second;
}

std::string JsonString(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char c = p[i];
        switch (c) {
        case '"':
            out += "\\\"";
            ++i;
            continue;
        case '\\':
            out += "\\\\";
            ++i;
            continue;
        case '\b':
            out += "\\b";
            ++i;
            continue;
        case '\f':
            out += "\\f";
            ++i;
            continue;
        case '\n':
            out += "\\n";
            ++i;
            continue;
        case '\r':
            out += "\\r";
            ++i;
            continue;
        case '\t':
            out += "\\t";
            ++i;
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(p + i, size - i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for the one byte
            ++i;
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    out += "\"";
    return out;
}

void WriteJson(const CJson& value, std::string* out, int indent) {
    switch (value.m_kind) {
    case CJson::Kind::Null:
        *out += "null";
        return;
    case CJson::Kind::Bool:
        *out += value.m_bool ? "true" : "false";
        return;
    case CJson::Kind::Signed:
        *out += std::to_string(value.m_signed);
        return;
    case CJson::Kind::Unsigned:
        *out += std::to_string(value.m_unsigned);
        return;
    case CJson::Kind::String:
        *out += JsonString(value.m_text);
        return;
    case CJson::Kind::Array:
        if (value.m_items.empty()) {
            *out += "[]";
            return;
        }
        *out += "[";
        for (size_t i = 0; i < value.m_items.size(); ++i) {
            if (i) *out += ",";
            Indent(out, indent + 1);
            WriteJson(value.m_items[i], out, indent + 1);
        }
        Indent(out, indent);
        *out += "]";
        return;
    case CJson::Kind::Object:
        if (value.m_members.empty()) {
            *out += "{}";
            return;
        }
        *out += "{";
        for (size_t i = 0; i < value.m_members.size(); ++i) {
            if (i) *out += ",";
            Indent(out, indent + 1);
            *out += JsonString(value.m_members[i].first);
            *out += ": ";
            WriteJson(value.m_members[i].second, out, indent + 1);
        }
        Indent(out, indent);
        *out += "}";
        return;
    }
}

std::string ToJsonText(const CJson& value) {
    std::string out;
    WriteJson(value, &out, 0);
    out += "\n";
    return out;
}

}  // namespace sfxpack
