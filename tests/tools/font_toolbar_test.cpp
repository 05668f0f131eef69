// The font toolbar: its place and controls, the face list against the system's own enumeration, and its changes
// reaching the open text box at once.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/menu_bar.h"
#include "tools/text_fixture.h"

namespace {

using FontToolbar = TextFixture;

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) {
    wchar_t text[64] = {};
    GetWindowTextW(w, text, 64);
    return text;
}

LOGFONTW FontOf(HWND w) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

std::vector<std::wstring> ListEntries(HWND combo) {
    std::vector<std::wstring> entries;
    const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t text[LF_FACESIZE + 1] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

std::wstring SelectedEntry(HWND combo) {
    const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (i < 0) return L"";
    wchar_t text[LF_FACESIZE + 1] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return text;
}

bool Toolbar304Checked() { return (GetMenuState(MenuBar(), 304, MF_BYCOMMAND) & MF_CHECKED) != 0; }

TEST_F(FontToolbar, ShowsAtTheMainWindowPlusEightyWithItsFiveControls) {
    HWND bar = FontToolbarWindow();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(ClassOf(bar), L"KolvexFontToolbarClass");
    EXPECT_EQ(TextOf(bar), L"Fonts");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(bar, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS), 0x90C80000u);
    EXPECT_TRUE(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(bar, GW_OWNER), g_app.main);
    EXPECT_EQ(GetActiveWindow(), g_app.main) << "showing the toolbar leaves the keyboard with the main window ";
    RECT main, r;
    GetWindowRect(g_app.main, &main);
    GetWindowRect(bar, &r);
    EXPECT_EQ(r.left - main.left, 80);
    EXPECT_EQ(r.top - main.top, 80);
    EXPECT_EQ(r.right - r.left, 310);
    EXPECT_EQ(r.bottom - r.top, 64);
    EXPECT_TRUE(Toolbar304Checked());

    struct Control {
        int id;
        const wchar_t* cls;
        DWORD style;
        int x, y, width, height;
        const wchar_t* text;
    } controls[] = {
        {kFaceListId, L"ComboBox", 0x50200003, 6, 6, 140, 200, nullptr},
        {kSizeBoxId, L"ComboBox", 0x50200002, 152, 6, 56, 200, L"28"},
        {kBoldButtonId, L"Button", 0x50001003, 214, 5, 26, 24, L"B"},
        {kItalicButtonId, L"Button", 0x50001003, 242, 5, 26, 24, L"I"},
        {kUnderlineButtonId, L"Button", 0x50001003, 270, 5, 26, 24, L"U"},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        HWND w = ToolbarControl(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(_wcsicmp(ClassOf(w).c_str(), c.cls), 0);
        // A combo box hands its vertical scroll bar to its list.
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)) | (c.style & WS_VSCROLL), c.style);
        RECT wr;
        GetWindowRect(w, &wr);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&wr), 2);
        EXPECT_EQ(wr.left, c.x);
        EXPECT_EQ(wr.top, c.y);
        EXPECT_EQ(wr.right - wr.left, c.width);
        // A combo box's list is fitted to whole entries by the system; only the buttons keep their height.
        if (c.id >= kBoldButtonId) {
            EXPECT_EQ(wr.bottom - wr.top, c.height);
            EXPECT_EQ(SendMessageW(w, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        }
        if (c.text) {
            EXPECT_EQ(TextOf(w), c.text);
        }
    }
    const LOGFONTW bold = FontOf(ToolbarControl(kBoldButtonId)), italic = FontOf(ToolbarControl(kItalicButtonId)),
                   underline = FontOf(ToolbarControl(kUnderlineButtonId));
    for (const LOGFONTW& f : {bold, italic, underline}) {
        EXPECT_EQ(f.lfHeight, -12);
        EXPECT_STREQ(f.lfFaceName, L"Arial");
    }
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(italic.lfWeight, FW_NORMAL);
    EXPECT_TRUE(italic.lfItalic);
    EXPECT_TRUE(underline.lfUnderline);
    EXPECT_FALSE(bold.lfItalic || bold.lfUnderline || italic.lfUnderline || underline.lfItalic);

    const std::vector<std::wstring> sizes = ListEntries(ToolbarControl(kSizeBoxId));
    const std::vector<std::wstring> expectedSizes = {L"8",  L"9",  L"10", L"11", L"12", L"14", L"16", L"18",
                                                     L"20", L"22", L"24", L"26", L"28", L"36", L"48", L"72"};
    EXPECT_EQ(sizes, expectedSizes);
}

// What the list must hold by the rules, from the test's own enumeration of the installed families.
std::vector<std::wstring> ExpectedFaceList() {
    static const wchar_t* const kPreferred[] = {
        L"Arial",  L"Courier New",   L"Times New Roman", L"Tahoma", L"MS Sans Serif", L"Verdana", L"Georgia",
        L"Impact", L"Comic Sans MS", L"Gulim",           L"Dotum",  L"Batang",        L"Gungsuh"};
    const std::vector<std::wstring> families = EnumeratedFamilies();
    auto has = [](const std::vector<std::wstring>& list, const std::wstring& name) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::wstring& f) { return _wcsicmp(f.c_str(), name.c_str()) == 0; });
    };
    std::vector<std::wstring> first, rest;
    for (const wchar_t* p : kPreferred)
        if (has(families, p)) first.push_back(p);
    for (const std::wstring& f : families)
        if (f[0] != L'@' && !has(first, f) && !has(rest, f)) rest.push_back(f);
    std::sort(rest.begin(), rest.end(), [](const std::wstring& a, const std::wstring& b) {
        const int c = _wcsicmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

TEST_F(FontToolbar, TheFaceListHoldsTheInstalledFamiliesAndNamesTheFaceThatDraws) {
    HWND list = ToolbarControl(kFaceListId);
    const std::vector<std::wstring> entries = ListEntries(list);
    const std::vector<std::wstring> expected = ExpectedFaceList();
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(_wcsicmp(entries[i].c_str(), expected[i].c_str()), 0) << i;
    EXPECT_TRUE(std::find(entries.begin(), entries.end(), std::wstring(kLatinFace)) != entries.end());
    EXPECT_TRUE(std::find(entries.begin(), entries.end(), std::wstring(kHangulFace)) != entries.end());
    EXPECT_EQ(SelectedEntry(list), g_textStyle.face);
    if (!FaceInstalled(L"Arial")) {
        EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0) << "the first entry draws when Arial is missing";
    }
}

TEST_F(FontToolbar, EachChangeReachesTheOpenBoxsFontAtOnce) {
    ASSERT_TRUE(FaceInstalled(kLatinFace));
    DragTextBox(100, 100, 300, 200);
    struct Step {
        const char* what;
        void (*act)();
        const wchar_t* face;
        LONG height, weight;
        bool italic, underline;
    } steps[] = {
        {"as opened", [] {}, nullptr, -37, FW_NORMAL, false, false},
        {"face", [] { ChooseFace(kLatinFace); }, kLatinFace, -37, FW_NORMAL, false, false},
        {"size from the list",
         [] {
             HWND box = ToolbarControl(kSizeBoxId);
             SendMessageW(box, CB_SETCURSEL, 13, 0); // "36"
             Post(FontToolbarWindow(), WM_COMMAND, MAKEWPARAM(kSizeBoxId, CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(box));
         },
         kLatinFace, -48, FW_NORMAL, false, false},
        {"bold", [] { ClickStyleButton(kBoldButtonId); }, kLatinFace, -48, FW_BOLD, false, false},
        {"italic", [] { ClickStyleButton(kItalicButtonId); }, kLatinFace, -48, FW_BOLD, true, false},
        {"underline", [] { ClickStyleButton(kUnderlineButtonId); }, kLatinFace, -48, FW_BOLD, true, true},
        {"bold off", [] { ClickStyleButton(kBoldButtonId); }, kLatinFace, -48, FW_NORMAL, true, true},
        {"typed size", [] { TypeSize(L"100"); }, kLatinFace, -133, FW_NORMAL, true, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        ASSERT_TRUE(IsTextEditingActive());
        const LOGFONTW f = FontOf(TextEditWindow());
        EXPECT_STREQ(f.lfFaceName, s.face ? s.face : g_textStyle.face);
        EXPECT_EQ(f.lfHeight, s.height);
        EXPECT_EQ(f.lfWeight, s.weight);
        EXPECT_EQ(f.lfItalic != 0, s.italic);
        EXPECT_EQ(f.lfUnderline != 0, s.underline);
    }
    EXPECT_EQ(g_undo.undo.size(), 0u) << "a font change draws nothing";
    EXPECT_TRUE(g_textStyle.italic && g_textStyle.underline && !g_textStyle.bold);

    // The edit's font follows the zoom; the style stays as chosen.
    Post(TextEditWindow(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Post(g_app.main, WM_COMMAND, 306);
    TypeSize(L"28");
    DragTextBox(100, 100, 300, 200);
    EXPECT_EQ(FontOf(TextEditWindow()).lfHeight, -75);
}

TEST_F(FontToolbar, TypedSizesBelowOneOrNotNumbersAreIgnoredAndHugeOnesClamp) {
    struct Case {
        const wchar_t* typed;
        int size;
    } cases[] = {{L"100", 100},   {L"0", 100},           {L"abc", 100},         {L"12", 12},
                 {L"1000", 1000}, {L"2147483647", 1000}, {L"99999999999", 1000}};
    for (const Case& c : cases) {
        TypeSize(c.typed);
        EXPECT_EQ(g_textStyle.pointSize, c.size) << testing::PrintToString(std::wstring(c.typed));
    }
    // The next box from a click fits the picture.
    DragTextBox(200, 150, 200, 150);
    ASSERT_TRUE(IsTextEditingActive());
    EXPECT_EQ(g_textBox.rect, (TextRect{200, 150, 640, 480}));
    EXPECT_EQ(FontOf(TextEditWindow()).lfHeight, -1333);
}

TEST_F(FontToolbar, KeysInTheSizeBoxAreTextNotToolLetters) {
    HWND box = ToolbarControl(kSizeBoxId);
    HWND field = FindWindowExW(box, nullptr, L"Edit", nullptr);
    ASSERT_NE(field, nullptr);
    SetWindowTextW(box, L"");
    SetFocus(field);
    PressKeyTo(field, 'A');
    EXPECT_EQ(g_tools.currentTool, ToolId::Text) << "not the airbrush";
    EXPECT_EQ(TextOf(box), L"a");
}

TEST_F(FontToolbar, CloseHidesAndUnchecksAndCommand304Toggles) {
    HWND bar = FontToolbarWindow();
    Post(bar, WM_CLOSE);
    EXPECT_TRUE(IsWindow(bar));
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_FALSE(Toolbar304Checked());
    Post(g_app.main, WM_COMMAND, 304);
    EXPECT_EQ(FontToolbarWindow(), bar) << "shown again, not made anew";
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(Toolbar304Checked());
    Post(g_app.main, WM_COMMAND, 304);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_FALSE(Toolbar304Checked());
    ChooseTool(ToolId::Pencil);
    ChooseTool(ToolId::Text);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(Toolbar304Checked());
}

} // namespace
