// Dialog template headers: reading the font and replacing it, in the
// classic and the extended layout, with the control items kept intact.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "orelib/DialogTemplate.h"

namespace {

class TemplateWriter {
public:
    void Word(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void Dword(uint32_t v) {
        Word(static_cast<uint16_t>(v));
        Word(static_cast<uint16_t>(v >> 16));
    }
    void String(const std::u16string& s) {
        for (char16_t c : s) Word(static_cast<uint16_t>(c));
        Word(0);
    }
    void Align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
    std::vector<uint8_t> bytes;
};

constexpr uint32_t kStyle = 0x80C800C0;  // popup, caption, sysmenu, modal frame, DS_SETFONT
constexpr uint32_t kStyleNoFont = kStyle & ~0x40u;

// An extended template with one control: a push button "Cancel", ID 2.
std::vector<uint8_t> ExtendedTemplate(const std::u16string& title, uint16_t points, const std::u16string& face,
                                      std::vector<uint8_t>* items) {
    TemplateWriter w;
    w.Word(1);
    w.Word(0xFFFF);
    w.Dword(0);           // help ID
    w.Dword(0x00040000);  // WS_EX_APPWINDOW
    w.Dword(kStyle);
    w.Word(1);  // items
    w.Word(0);
    w.Word(0);
    w.Word(235);
    w.Word(62);
    w.Word(0);  // no menu
    w.Word(0);  // default class
    w.String(title);
    w.Word(points);
    w.Word(400);           // weight
    w.bytes.push_back(0);  // italic
    w.bytes.push_back(1);  // charset
    w.String(face);
    w.Align();
    size_t itemsStart = w.bytes.size();
    w.Dword(0);           // help ID
    w.Dword(0);           // ex style
    w.Dword(0x50010000);  // child, visible, tabstop
    w.Word(178);
    w.Word(41);
    w.Word(50);
    w.Word(14);
    w.Dword(2);  // ID
    w.Word(0xFFFF);
    w.Word(0x0080);  // Button
    w.String(u"Cancel");
    w.Word(0);  // no creation data
    items->assign(w.bytes.begin() + itemsStart, w.bytes.end());
    return w.bytes;
}

// A classic template without a font, with a menu ordinal and a class name.
std::vector<uint8_t> ClassicTemplate(bool withFont, std::vector<uint8_t>* items) {
    TemplateWriter w;
    w.Dword(withFont ? kStyle : kStyleNoFont);
    w.Dword(0);
    w.Word(1);
    w.Word(0);
    w.Word(0);
    w.Word(100);
    w.Word(50);
    w.Word(0xFFFF);
    w.Word(7);  // menu by ordinal
    w.String(u"MyClass");
    w.String(u"T");
    if (withFont) {
        w.Word(8);
        w.String(u"MS Shell Dlg");
    }
    w.Align();
    size_t itemsStart = w.bytes.size();
    w.Dword(0x50000000);
    w.Dword(0);
    w.Word(1);
    w.Word(2);
    w.Word(3);
    w.Word(4);
    w.Word(1005);
    w.Word(0xFFFF);
    w.Word(0x0082);  // Static
    w.String(u"x");
    w.Word(0);
    items->assign(w.bytes.begin() + itemsStart, w.bytes.end());
    return w.bytes;
}

std::vector<uint8_t> Tail(const std::vector<uint8_t>& bytes, size_t count) {
    return std::vector<uint8_t>(bytes.end() - static_cast<long>(count), bytes.end());
}

TEST(DialogTemplate, PointSizeFromFontHeight) {
    EXPECT_EQ(orelib::PointSizeFromHeight(-12, 96), 9);
    EXPECT_EQ(orelib::PointSizeFromHeight(12, 96), 9);
    EXPECT_EQ(orelib::PointSizeFromHeight(-11, 96), 8);  // 8.25
    EXPECT_EQ(orelib::PointSizeFromHeight(-15, 120), 9);
    EXPECT_EQ(orelib::PointSizeFromHeight(-18, 144), 9);
    EXPECT_EQ(orelib::PointSizeFromHeight(-16, 120), 10);  // 9.6
    EXPECT_EQ(orelib::PointSizeFromHeight(-4, 96), 3);     // 3.0
    EXPECT_EQ(orelib::PointSizeFromHeight(-12, 0), 0);
}

TEST(DialogTemplate, ReplacesTheFontOfAnExtendedTemplate) {
    std::vector<uint8_t> items;
    auto original = ExtendedTemplate(u"Progress", 8, u"MS Shell Dlg", &items);
    auto font = orelib::ReadDialogFont(original.data(), original.size());
    ASSERT_TRUE(font);
    EXPECT_EQ(font->pointSize, 8);
    EXPECT_EQ(font->faceName, u"MS Shell Dlg");

    auto copy = orelib::SetDialogFont(original.data(), original.size(), {9, u"Segoe UI"});
    ASSERT_TRUE(copy);
    auto newFont = orelib::ReadDialogFont(copy->data(), copy->size());
    ASSERT_TRUE(newFont);
    EXPECT_EQ(newFont->pointSize, 9);
    EXPECT_EQ(newFont->faceName, u"Segoe UI");
    // Header fields before the font stay; weight, italic and charset too.
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 26, copy->begin()));
    EXPECT_EQ(Tail(*copy, items.size()), items);
    EXPECT_EQ((copy->size() - items.size()) % 4, 0u);  // items stay DWORD-aligned
}

TEST(DialogTemplate, LongerAndShorterFaceNamesKeepItemsAligned) {
    std::vector<uint8_t> items;
    auto original = ExtendedTemplate(u"P", 8, u"MS Shell Dlg", &items);
    for (std::u16string face : {u"A", u"AB", u"ABC", u"Microsoft YaHei UI", u"Meiryo UI Extra Long Face"}) {
        auto copy = orelib::SetDialogFont(original.data(), original.size(), {10, face});
        ASSERT_TRUE(copy);
        EXPECT_EQ(orelib::ReadDialogFont(copy->data(), copy->size())->faceName, face);
        EXPECT_EQ(Tail(*copy, items.size()), items);
        EXPECT_EQ((copy->size() - items.size()) % 4, 0u);
    }
}

TEST(DialogTemplate, ClassicTemplates) {
    std::vector<uint8_t> items;
    auto withFont = ClassicTemplate(true, &items);
    auto font = orelib::ReadDialogFont(withFont.data(), withFont.size());
    ASSERT_TRUE(font);
    EXPECT_EQ(font->faceName, u"MS Shell Dlg");
    auto copy = orelib::SetDialogFont(withFont.data(), withFont.size(), {9, u"Tahoma"});
    ASSERT_TRUE(copy);
    EXPECT_EQ(orelib::ReadDialogFont(copy->data(), copy->size())->faceName, u"Tahoma");
    EXPECT_EQ(Tail(*copy, items.size()), items);

    // Without a font: none is read, and setting one adds DS_SETFONT.
    auto noFont = ClassicTemplate(false, &items);
    EXPECT_FALSE(orelib::ReadDialogFont(noFont.data(), noFont.size()));
    auto added = orelib::SetDialogFont(noFont.data(), noFont.size(), {9, u"Tahoma"});
    ASSERT_TRUE(added);
    EXPECT_EQ((*added)[0] & 0x40, 0x40);
    auto addedFont = orelib::ReadDialogFont(added->data(), added->size());
    ASSERT_TRUE(addedFont);
    EXPECT_EQ(addedFont->pointSize, 9);
    EXPECT_EQ(Tail(*added, items.size()), items);
}

TEST(DialogTemplate, MalformedHeadersAreRefused) {
    std::vector<uint8_t> items;
    auto original = ExtendedTemplate(u"Progress", 8, u"MS Shell Dlg", &items);
    EXPECT_FALSE(orelib::SetDialogFont(nullptr, 0, {9, u"X"}));
    EXPECT_FALSE(orelib::SetDialogFont(original.data(), 10, {9, u"X"}));
    // Cut inside the title and inside the face name: no terminator in range.
    EXPECT_FALSE(orelib::SetDialogFont(original.data(), 30, {9, u"X"}));
    EXPECT_FALSE(orelib::ReadDialogFont(original.data(), 50));
    // Every prefix either parses or is refused; none reads past its end.
    for (size_t n = 0; n < original.size(); ++n) {
        std::vector<uint8_t> prefix(original.begin(), original.begin() + static_cast<long>(n));
        auto copy = orelib::SetDialogFont(prefix.data(), prefix.size(), {9, u"X"});
        if (copy) {
            EXPECT_TRUE(orelib::ReadDialogFont(copy->data(), copy->size()));
        }
    }
}

}  // namespace
