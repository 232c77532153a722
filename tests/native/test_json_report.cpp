// The packager's JSON output: string escaping, and the list of diagnostic
// codes in docs/json.md kept in step with the code.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "packager/core/Diagnostics.h"
#include "packager/core/Json.h"

using sfxpack::CJson;
using sfxpack::JsonString;

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsUtf8) {
    const struct {
        std::string text;
        std::string json;
    } cases[] = {
        {"", "\"\""},
        {"plain text", "\"plain text\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\Program Files\\", "\"C:\\\\Program Files\\\\\""},
        {"a/b", "\"a/b\""},  // the solidus needs no escape
        {"line\nnext\r\n\ttab", "\"line\\nnext\\r\\n\\ttab\""},
        {"\b\f", "\"\\b\\f\""},
        {std::string("nul\0byte", 8), "\"nul\\u0000byte\""},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        {"Grüße 日本語 😀", "\"Grüße 日本語 😀\""},
        // Bytes that are not UTF-8 become U+FFFD, one each.
        {"a\xff"
         "b",
         "\"a\xEF\xBF\xBD"
         "b\""},
        {"\xC3", "\"\xEF\xBF\xBD\""},                                                  // truncated sequence
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                                  // overlong '/'
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},                  // encoded surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // above U+10FFFF
        {"\x80"
         "é",
         "\"\xEF\xBF\xBD"
         "é\""},  // stray continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(JsonWriter, WritesNestedValuesAndFullRangeIntegers) {
    CJson document = CJson::Object();
    document.Set("schema_version", 1);
    document.Set("big", uint64_t{18446744073709551615u});
    document.Set("negative", int64_t{-9223372036854775807} - 1);
    CJson list = CJson::Array();
    list.Push(true);
    list.Push(CJson());
    list.Push("x");
    document.Set("list", list);
    document.Set("empty", CJson::Object());
    document.Set("schema_version", 2);  // replaced where it stands
    EXPECT_EQ(sfxpack::ToJsonText(document),
              "{\n"
              "  \"schema_version\": 2,\n"
              "  \"big\": 18446744073709551615,\n"
              "  \"negative\": -9223372036854775808,\n"
              "  \"list\": [\n"
              "    true,\n"
              "    null,\n"
              "    \"x\"\n"
              "  ],\n"
              "  \"empty\": {}\n"
              "}\n");
}

TEST(JsonDocs, ListsEveryDiagnosticCodeOnce) {
    std::ifstream in(std::string(SFX_SOURCE_DIR) + "/docs/json.md");
    ASSERT_TRUE(in) << "docs/json.md is missing";
    std::stringstream text;
    text << in.rdbuf();
    const std::string docs = text.str();
    for (size_t i = 0; i < sfxpack::kDiagCodeCount; ++i) {
        const sfxpack::DiagCodeName& entry = sfxpack::kDiagCodeNames[i];
        EXPECT_EQ(static_cast<size_t>(entry.code), i) << entry.name << " is out of the enum's order";
        // Each code has its own row in the table of codes.
        const std::string row = "| `" + std::string(entry.name) + "` |";
        const size_t at = docs.find(row);
        EXPECT_NE(at, std::string::npos) << entry.name << " is not in docs/json.md";
        if (at != std::string::npos) EXPECT_EQ(docs.find(row, at + 1), std::string::npos) << entry.name;
    }
    // And no code is listed that the code cannot give.
    const size_t codes = docs.find("\n## Codes\n");
    ASSERT_NE(codes, std::string::npos);
    std::istringstream lines(docs.substr(codes));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("| `", 0) != 0) continue;
        const std::string name = line.substr(3, line.find('`', 3) - 3);
        bool known = false;
        for (size_t i = 0; i < sfxpack::kDiagCodeCount; ++i) known |= name == sfxpack::kDiagCodeNames[i].name;
        EXPECT_TRUE(known) << "docs/json.md lists " << name << ", which no diagnostic has";
    }
}
