#include "info/shortcuts_text_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line ends with CR LF too";
    return lines;
}

std::string Row(std::string key, const std::string& description) {
    key.resize(26, ' ');
    return "  " + key + description;
}

TEST(ShortcutsText, EightyNineCrLfLinesUnderA63CharacterBanner) {
    const std::string& text = ShortcutsReferenceText();
    for (char c : text) {
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << "ANSI in any code page";
        ASSERT_NE(c, '\t');
    }
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 89u);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_EQ(lines[0], std::string(63, '='));
    EXPECT_EQ(lines[1], std::string(19, ' ') + "Kolvex Keyboard Shortcuts" + std::string(19, ' '));
    EXPECT_EQ(lines[2], std::string(63, '='));
    EXPECT_EQ(lines[3], "");
}

TEST(ShortcutsText, SixSectionsInOrderEachWithItsRowsAndABlankLine) {
    const std::vector<std::string> lines = Lines(ShortcutsReferenceText());
    const std::vector<std::string> headings = {" [Tool Shortcuts (English & Korean input supported)]",
                                               " [File Operations]",
                                               " [Editing & History]",
                                               " [View & Navigation]",
                                               " [Image Transformations]",
                                               " [Drawing Constraints & Mouse Gestures]"};
    const std::vector<size_t> rows = {28, 8, 12, 11, 7, 8};
    size_t at = 4;
    for (size_t s = 0; s < headings.size(); ++s) {
        ASSERT_LT(at, lines.size());
        EXPECT_EQ(lines[at], headings[s]);
        for (size_t r = 1; r <= rows[s]; ++r) {
            const std::string& line = lines[at + r];
            EXPECT_EQ(line.rfind("  ", 0), 0u) << line;
            EXPECT_NE(line.find_first_not_of(' '), std::string::npos) << "row " << r << " of " << headings[s];
        }
        at += rows[s] + 1;
        if (s + 1 < headings.size()) {
            EXPECT_EQ(lines[at++], "") << "after " << headings[s];
        }
    }
    EXPECT_EQ(at, lines.size()) << "the last section ends with its last row";
}

TEST(ShortcutsText, KeyRowsHaveA26CharacterKeyColumn) {
    const std::vector<std::string> lines = Lines(ShortcutsReferenceText());
    int keyRows = 0;
    for (size_t i = 4; i < 80; ++i) { // the last section has no key column
        const std::string& line = lines[i];
        if (line.rfind("  ", 0) != 0 || line.rfind("    ", 0) == 0) continue;
        ++keyRows;
        ASSERT_GT(line.size(), 28u) << line;
        EXPECT_NE(line[2], ' ') << line;
        EXPECT_NE(line[28], ' ') << "the description starts in column 29: " << line;
        EXPECT_EQ(line[27], ' ') << "a blank between key and description: " << line;
        const std::string key = line.substr(2, line.substr(2, 26).find_last_not_of(' ') + 1);
        EXPECT_EQ(key.find("  "), std::string::npos) << line;
    }
    EXPECT_EQ(keyRows, 22 + 8 + 12 + 11 + 7);
}

TEST(ShortcutsText, TheQuotedRowsAreThereByteForByte) {
    const std::vector<std::string> expected = {
        Row("P", "Pencil / Calvore Path Tool Toggle"),
        Row("Shift+P", "Calvore Path / Pen Tool"),
        Row("1 ~ 5", "Line / Pencil Width (1px ~ 5px)"),
        Row("[ / ]", "Decrease / Increase Tool Thickness (1 ~ 500 px, Shift: +-5px)"),
        Row("Ctrl+1 / Ctrl+2 / Ctrl+3", "Tool Options (Sub-option shortcuts):"),
        "    - Fuzzy Select:          Tolerance (0, 15, 32, 64) (Ctrl+1 .. Ctrl+4 or 1 .. 4)",
        "    - Selection / Text:      Opaque (Ctrl+1) / Transparent (Ctrl+2) / Mosaic (Ctrl+3)",
        Row("Alt+F, R", "Recent Files Submenu (1 ~ 10)"),
        Row("Win+Shift+S / F7", "Capture Screen Region (Snip Tool)"),
        Row("Ctrl+Z", "Undo (Up to 1,000 Levels with File Spooling!)"),
        Row("View > Grid Spacing", "1 / 2 / 4 / 8 / 16 / 32 / 64 px"),
        Row("Ctrl + Mouse Wheel", "Zoom In / Out (down to 10px shortest side, up to 1600%)"),
        Row("Ctrl+Page Down", "Zoom 400% (Pixel Art Mode)"),
        Row("Ctrl+I", "Invert Colors (255 - RGB)"),
    };
    const std::vector<std::string> lines = Lines(ShortcutsReferenceText());
    for (const std::string& want : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want;
    EXPECT_EQ(lines.back(), "  Triple Right-Click (within 2s) outside canvas: Resize Canvas to 10x10 Pixels");
    // Ctrl+W stretches and skews here; it closes nothing.
    EXPECT_NE(std::find(lines.begin(), lines.end(), Row("Ctrl+W", "Stretch / Skew Picture or Selection")), lines.end());
}

} // namespace
