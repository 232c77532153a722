#include "packager/pe/VersionResource.h"

#include <cctype>

#include "packager/core/LittleEndian.h"
#include "packager/core/WideText.h"
#include "packager/pe/BrandingError.h"

namespace sfxpack {

const char* const kVersionInfoKeys[12] = {"ProductName",    "CompanyName",     "FileDescription",  "FileVersion",
                                          "ProductVersion", "LegalCopyright",  "OriginalFilename", "InternalName",
                                          "Comments",       "LegalTrademarks", "PrivateBuild",     "SpecialBuild"};

bool IsVersionInfoKey(const std::string& key) {
    for (const char* known : kVersionInfoKeys) {
        if (key == known) return true;
    }
    return false;
}

namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr size_t kFixedSize = 52;
constexpr size_t kFixedFileVersion = 8;  // MS then LS
constexpr size_t kFixedProductVersion = 16;
constexpr int kMaxDepth = 4;  // root, StringFileInfo, table, string
constexpr uint16_t kTypeText = 1;

// One node of the tree: wLength, wValueLength, wType, key, value, children,
// each part starting on a 4-byte boundary.
struct Node {
    std::u16string key;
    uint16_t type = 0;
    std::vector<uint8_t> value;
    std::vector<Node> children;
};

size_t Align4(size_t v) { return (v + 3) & ~size_t{3}; }

bool Parse(const std::vector<uint8_t>& b, size_t at, size_t limit, int depth, Node* node) {
    if (depth > kMaxDepth || at + 6 > limit) return false;
    const size_t length = Get16(b, at);
    const size_t valueLength = Get16(b, at + 2);
    node->type = Get16(b, at + 4);
    const size_t end = at + length;
    if (length < 6 || end > limit) return false;
    size_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > end) return false;
        const uint16_t unit = Get16(b, p);
        if (unit == 0) break;
        node->key += static_cast<char16_t>(unit);
    }
    p = Align4(p + 2);
    const size_t valueBytes = node->type == kTypeText ? 2 * valueLength : valueLength;
    if (valueBytes > 0) {
        if (p + valueBytes > end) return false;
        node->value.assign(b.begin() + p, b.begin() + p + valueBytes);
        p = Align4(p + valueBytes);
    }
    while (p + 6 <= end) {
        Node child;
        if (!Parse(b, p, end, depth + 1, &child)) return false;
        p = Align4(p + Get16(b, p));
        node->children.push_back(std::move(child));
    }
    return true;
}

void Pad4(std::vector<uint8_t>* out) {
    while (out->size() % 4) out->push_back(0);
}

// Offsets are relative to the resource's start, which is 4-aligned.
void Write(const Node& node, std::vector<uint8_t>* out) {
    const size_t at = out->size();
    Append16(out, 0);
    Append16(out, static_cast<uint32_t>(node.type == kTypeText ? node.value.size() / 2 : node.value.size()));
    Append16(out, node.type);
    for (char16_t c : node.key) Append16(out, c);
    Append16(out, 0);
    Pad4(out);
    out->insert(out->end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        Pad4(out);
        Write(child, out);
    }
    Set16(out, at, static_cast<uint32_t>(out->size() - at));
}

std::u16string ToUtf16(const std::string& utf8) {
    std::wstring wide;
    FromUtf8(utf8, &wide);
    std::u16string out;
    for (wchar_t c : wide) {
        const uint32_t cp = static_cast<uint32_t>(c);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string FromUtf16(const std::u16string& text) {
    std::wstring wide;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        // A 32-bit wchar_t holds the code point of a pair; a 16-bit one (Windows)
        // keeps the pair, which ToUtf8 joins.
        if (sizeof(wchar_t) == 4 && cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        wide += static_cast<wchar_t>(cp);
    }
    return ToUtf8(wide);
}

// A text value with its terminating NUL, as resource compilers write it.
std::vector<uint8_t> TextValue(const std::u16string& text) {
    std::vector<uint8_t> value;
    for (char16_t c : text) Append16(&value, c);
    Append16(&value, 0);
    return value;
}

std::u16string ValueText(const Node& node) {
    std::u16string text;
    for (size_t i = 0; i + 1 < node.value.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(Get16(node.value, i));
        if (c == 0) break;
        text += c;
    }
    return text;
}

void SetFixed(Node* root, size_t field, const std::array<uint16_t, 4>& v) {
    Set16(&root->value, field, v[1]);
    Set16(&root->value, field + 2, v[0]);
    Set16(&root->value, field + 4, v[3]);
    Set16(&root->value, field + 6, v[2]);
}

std::array<uint16_t, 4> GetFixed(const Node& root, size_t field) {
    return {Get16(root.value, field + 2), Get16(root.value, field), Get16(root.value, field + 6),
            Get16(root.value, field + 4)};
}

Node ParseRoot(const std::vector<uint8_t>& resource) {
    Node root;
    if (!Parse(resource, 0, resource.size(), 0, &root) || root.key != u"VS_VERSION_INFO") {
        throw BrandingError("its version resource is not a VS_VERSIONINFO");
    }
    if (root.value.size() != kFixedSize ||
        (Get16(root.value, 0) | (uint32_t{Get16(root.value, 2)} << 16)) != kFixedSignature) {
        throw BrandingError("its version resource has no VS_FIXEDFILEINFO");
    }
    return root;
}

}  // namespace

bool ParseVersionNumber(const std::string& text, std::array<uint16_t, 4>* parts) {
    *parts = {0, 0, 0, 0};
    size_t p = 0;
    for (int i = 0; i < 4 && p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++i) {
        uint32_t value = 0;
        while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
            value = value * 10 + static_cast<uint32_t>(text[p++] - '0');
            if (value > 0xFFFF) return false;
        }
        (*parts)[i] = static_cast<uint16_t>(value);
        if (p + 1 < text.size() && text[p] == '.' && std::isdigit(static_cast<unsigned char>(text[p + 1])))
            ++p;
        else
            break;
    }
    return true;
}

std::optional<std::string> CheckVersionText(const std::string& key, const std::string& text, std::string* note) {
    std::array<uint16_t, 4> number;
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        return key + " '" + text + "' does not start with a version number a[.b[.c[.d]]]";
    }
    if (!ParseVersionNumber(text, &number)) return key + " '" + text + "': a version part is larger than 65535";
    size_t dots = 0;
    bool plain = text.back() != '.';
    for (char c : text) {
        if (c == '.') ++dots;
        plain = plain && (c == '.' || std::isdigit(static_cast<unsigned char>(c)));
    }
    if (!plain || dots > 3) {
        *note = key + " '" + text + "' is kept as text; its numeric version is " + std::to_string(number[0]) + "." +
                std::to_string(number[1]) + "." + std::to_string(number[2]) + "." + std::to_string(number[3]);
    }
    return std::nullopt;
}

void RewriteVersionResource(std::vector<uint8_t>* resource, const VersionStrings& values) {
    Node root = ParseRoot(*resource);
    Node* info = nullptr;
    for (Node& child : root.children) {
        if (child.key == u"StringFileInfo") info = &child;
    }
    if (info == nullptr) {
        Node fresh;
        fresh.key = u"StringFileInfo";
        fresh.type = kTypeText;
        root.children.insert(root.children.begin(), fresh);
        info = &root.children.front();
    }
    if (info->children.empty()) {
        Node table;
        table.key = u"040904B0";
        table.type = kTypeText;
        info->children.push_back(table);
    }
    for (const auto& [key, value] : values) {
        const std::u16string wideKey = ToUtf16(key);
        for (Node& table : info->children) {
            Node* entry = nullptr;
            for (Node& s : table.children) {
                if (s.key == wideKey) entry = &s;
            }
            if (entry == nullptr) {
                table.children.emplace_back();
                entry = &table.children.back();
                entry->key = wideKey;
                entry->type = kTypeText;
            }
            entry->value = TextValue(ToUtf16(value));
        }
        std::array<uint16_t, 4> number;
        if (key == "FileVersion" || key == "ProductVersion") {
            if (!ParseVersionNumber(value, &number)) {
                throw BrandingError(key + " '" + value + "': a version part is larger than 65535");
            }
            SetFixed(&root, key == "FileVersion" ? kFixedFileVersion : kFixedProductVersion, number);
        }
    }
    std::vector<uint8_t> out;
    Write(root, &out);
    if (out.size() > 0xFFFF) throw BrandingError("the version information would exceed 64 KiB");
    resource->swap(out);
}

VersionSummary ReadVersionResource(const std::vector<uint8_t>& resource) {
    const Node root = ParseRoot(resource);
    VersionSummary summary;
    summary.fileVersion = GetFixed(root, kFixedFileVersion);
    summary.productVersion = GetFixed(root, kFixedProductVersion);
    for (const Node& child : root.children) {
        if (child.key != u"StringFileInfo" || child.children.empty()) continue;
        for (const Node& s : child.children.front().children) {
            summary.strings.emplace_back(FromUtf16(s.key), FromUtf16(ValueText(s)));
        }
    }
    return summary;
}

}  // namespace sfxpack
