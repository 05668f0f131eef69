#include "shell/recent_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using List = std::vector<std::wstring>;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

TEST(RecentList, AddingPutsTheNewestFirstWithoutDuplicates) {
    struct Case {
        const char* what;
        List before;
        std::wstring added;
        List after;
    } cases[] = {
        {"into an empty list", {}, L"C:\\a.bmp", {L"C:\\a.bmp"}},
        {"a new one", {L"C:\\b.bmp", L"C:\\a.bmp"}, L"C:\\c.bmp", {L"C:\\c.bmp", L"C:\\b.bmp", L"C:\\a.bmp"}},
        {"one already at the top", {L"C:\\a.bmp", L"C:\\b.bmp"}, L"C:\\a.bmp", {L"C:\\a.bmp", L"C:\\b.bmp"}},
        {"one further down, in other letter case, keeps the new spelling",
         {L"C:\\b.bmp", L"C:\\Pics\\A.bmp", L"C:\\c.bmp"},
         L"c:\\pics\\a.BMP",
         {L"c:\\pics\\a.BMP", L"C:\\b.bmp", L"C:\\c.bmp"}},
        {"non-ASCII letters in other case",
         {L"C:\\\u00c9t\u00e9.bmp", L"C:\\\u0416.bmp"},
         L"C:\\\u0436.bmp",
         {L"C:\\\u0436.bmp", L"C:\\\u00c9t\u00e9.bmp"}},
    };
    for (const Case& c : cases) {
        List list = c.before;
        PushRecentPath(&list, c.added);
        EXPECT_EQ(list, c.after) << c.what;
    }
}

List Numbered(int first, int last) {
    List list;
    for (int i = last; i >= first; --i)
        list.push_back(L"C:\\pics\\" + std::to_wstring(i) + L".bmp");
    return list;
}

TEST(RecentList, KeepsTheTenMostRecent) {
    List list = Numbered(1, 10);
    PushRecentPath(&list, L"C:\\pics\\11.bmp");
    EXPECT_EQ(list, Numbered(2, 11)) << "the eleventh drops the oldest";

    // Bringing the oldest back to the top of a full list loses nothing.
    list = Numbered(1, 10);
    PushRecentPath(&list, L"C:\\PICS\\1.BMP");
    List expected = Numbered(2, 10);
    expected.insert(expected.begin(), L"C:\\PICS\\1.BMP");
    EXPECT_EQ(list, expected);
}

TEST(RecentList, RemovesTheFirstEntryEqualToThePathIgnoringCase) {
    // A list read from the registry is taken as it is, so it may hold the same file twice.
    List list = {L"C:\\b.bmp", L"C:\\A.bmp", L"C:\\a.bmp"};
    EXPECT_TRUE(RemoveRecentPath(&list, L"c:\\a.BMP"));
    EXPECT_EQ(list, (List{L"C:\\b.bmp", L"C:\\a.bmp"}));
    EXPECT_FALSE(RemoveRecentPath(&list, L"C:\\a.bm"));
    EXPECT_FALSE(RemoveRecentPath(&list, L"C:\\c.bmp"));
    EXPECT_EQ(list.size(), 2u);
}

TEST(RecentList, ComparesPathsLikeFileNames) {
    struct Case {
        std::wstring a, b;
        bool same;
    } cases[] = {
        {L"C:\\Pics\\A.bmp", L"c:\\pics\\a.BMP", true},
        {L"C:\\a.bmp", L"C:\\b.bmp", false},
        {L"C:\\a.bmp", L"C:\\a.bmpx", false},
        {L"C:\\a.bmp", L"C:/a.bmp", false},
        {L"\u00e0\u00fe\u00ff", L"\u00c0\u00de\u0178", true},             // Latin-1, y with diaeresis
        {L"\u00f7", L"\u00d7", false},                                    // division and multiplication signs
        {L"\u0101\u013a\u017e\u0133", L"\u0100\u0139\u017d\u0132", true}, // Latin Extended-A, both pairings
        {L"\u0131", L"I", false},                                         // dotless i has no partner here
        {L"\u03ac\u03b1\u03c2\u03c3\u03ce", L"\u0386\u0391\u03a3\u03a3\u038f", true}, // Greek, final sigma
        {L"\u0436\u0451", L"\u0416\u0401", true},                                     // Cyrillic
        {L"\u0436", L"\u0417", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SamePathIgnoringCase(c.a, c.b), c.same) << Narrow(c.a);
        EXPECT_EQ(SamePathIgnoringCase(c.b, c.a), c.same) << Narrow(c.a);
    }
}

TEST(RecentList, AcceptsOnlyAbsolutePaths) {
    struct Case {
        std::wstring path;
        bool absolute;
    } cases[] = {
        {L"C:\\pics\\a.bmp", true},
        {L"z:/a.bmp", true},
        {L"\\\\server\\share\\a.bmp", true},
        {L"\\\\?\\C:\\a.bmp", true},
        {L"//server/share", true},
        {L"C:a.bmp", false},
        {L"\\pics\\a.bmp", false},
        {L"pics\\a.bmp", false},
        {L"a.bmp", false},
        {L"1:\\a.bmp", false},
        {L"\\\\\\a.bmp", false},
        {L"C:", false},
        {L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAbsolutePath(c.path), c.absolute) << Narrow(c.path);
}

TEST(RecentMenu, ShortensLongPathsToDriveParentAndName) {
    const std::wstring x20(20, L'x');
    struct Case {
        std::wstring path;
        std::size_t length; // the input's, as a check on the case itself
        std::wstring shown;
    } cases[] = {
        {L"C:\\Users\\someone\\Documents\\Pictures\\Holiday\\beach-sunset-2019.png", 65,
         L"C:\\...\\Holiday\\beach-sunset-2019.png"},
        {L"C:\\Users\\someone\\Pictures\\Holiday\\beach-2019.png", 48,
         L"C:\\Users\\someone\\Pictures\\Holiday\\beach-2019.png"},
        {L"C:\\Users\\someone\\Pictures\\Holiday\\beach-2019a.png", 49, L"C:\\...\\Holiday\\beach-2019a.png"},
        // The parent folder is shown while the text from its separator on has at most 41 characters.
        {L"C:\\" + x20 + L"\\parent\\" + std::wstring(33, L'f'), 64, L"C:\\...\\parent\\" + std::wstring(33, L'f')},
        {L"C:\\" + x20 + L"\\parent\\" + std::wstring(34, L'f'), 65, L"C:\\...\\" + std::wstring(34, L'f')},
        // A last separator before position 4, or none, keeps the path whole.
        {L"abc\\" + std::wstring(50, L'f'), 54, L"abc\\" + std::wstring(50, L'f')},
        {L"abcd\\" + std::wstring(50, L'f'), 55, L"abc...\\" + std::wstring(50, L'f')},
        {std::wstring(60, L'f'), 60, std::wstring(60, L'f')},
        {L"C:/Users/someone/Documents/Pictures/Holiday/beach-sunset-2019.png", 65,
         L"C:/...\\Holiday/beach-sunset-2019.png"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.path.size(), c.length) << Narrow(c.path);
        EXPECT_EQ(RecentDisplayForm(c.path), c.shown) << Narrow(c.path);
    }
}

TEST(RecentMenu, LabelsCarryANumberMnemonicAndAreCut) {
    const std::wstring example = L"C:\\Users\\someone\\Documents\\Pictures\\Holiday\\beach-sunset-2019.png";
    struct Case {
        int index;
        std::wstring path;
        std::wstring label;
    } cases[] = {
        {0, L"C:\\a.bmp", L"&1  C:\\a.bmp"},
        {8, L"C:\\a.bmp", L"&9  C:\\a.bmp"},
        {9, L"C:\\a.bmp", L"1&0  C:\\a.bmp"},
        {3, example, L"&4  C:\\...\\Holiday\\beach-sunset-2019.png"},
        // The menu shows "&&" as one "&", so the path reads as written.
        {1, L"C:\\A&B\\x.bmp", L"&2  C:\\A&&B\\x.bmp"},
        {2, L"C:\\&&\\y.bmp", L"&3  C:\\&&&&\\y.bmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecentMenuLabel(c.index, c.path), c.label) << c.index;

    const std::wstring name(490, L'n');
    const std::wstring full = L"1&0  C:\\...\\" + name;
    const std::wstring label = RecentMenuLabel(9, L"C:\\pics\\" + name);
    EXPECT_EQ(label, full.substr(0, 291));
    // A cut never leaves half of a doubled "&", which would show as an access-key mark.
    const std::wstring amps = RecentMenuLabel(9, L"C:\\pics\\" + std::wstring(285, L'&'));
    EXPECT_LE(amps.size(), 291u);
    EXPECT_EQ((amps.size() - amps.find(L"&&")) % 2, 0u) << amps.size();
}

} // namespace
