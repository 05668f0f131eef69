// Loading, saving and the File commands on the real main window, with real files in a private folder. The
// common dialogs are replaced by canned answers here; the end-to-end tests drive the real ones.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "toolbox/colors.h"
#include "document/document_state.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "files/file_commands.h"
#include "files/files_fixture.h"
#include "files/image_load.h"
#include "files/image_save.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "base/text_convert.h"
#include "support/app_fixture.h"
#include "toolbox/tool_state.h"

namespace {

TEST_F(Files, ABmpSavesAndLoadsBackExactlyAndBecomesTheDocument) {
    const std::wstring path = Path(L"one.bmp");
    MakeSavedPicture(path);
    EXPECT_EQ(MainCaption(), path + L" - Kolvex");
    const std::vector<char> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 120u * 30u);
    EXPECT_EQ(std::memcmp(bytes.data(), "BM", 2), 0);
    EXPECT_TRUE(NoTempFileLeft());

    ASSERT_TRUE(CreateCanvasImage(5, 5, PixelFromColor(g_colors.background)));
    PushUndoSnapshot();
    ASSERT_TRUE(LoadImageFile(path));
    EXPECT_EQ(g_canvas.width, 40);
    EXPECT_EQ(g_canvas.height, 30);
    EXPECT_EQ(PictureAt(3, 2), 0xFFFF0000u);
    EXPECT_EQ(PictureAt(4, 2), 0xFFFFFFFFu);
    EXPECT_TRUE(g_undo.undo.empty()) << "a load clears the history";
    EXPECT_FALSE(g_document.modified);
    EXPECT_EQ(MainCaption(), path + L" - Kolvex");
}

TEST_F(Files, ARelativeNameIsKeptAsTheFullPath) {
    MakeSavedPicture(Path(L"rel.bmp"));
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(CreateCanvasImage(5, 5, PixelFromColor(g_colors.background)));
    const bool loaded = LoadImageFile(L"rel.bmp");
    // A dialog that changes the current folder must not move where Save writes.
    SetCurrentDirectoryW(before);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Utf8ToWide(g_document.path), Path(L"rel.bmp"));
    EXPECT_EQ(MainCaption(), Path(L"rel.bmp") + L" - Kolvex");
    WritePixel(CanvasPixels(), 0, 0, 0xFF00FF00u);
    Post(g_app.main, WM_COMMAND, 103);
    ASSERT_TRUE(LoadImageFile(Path(L"rel.bmp")));
    EXPECT_EQ(PictureAt(0, 0), 0xFF00FF00u);
}

TEST_F(Files, ALargePictureGrowsTheWindowUpToTheWorkAreaAndASmallOneNeverShrinksIt) {
    RECT work;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    ASSERT_TRUE(CreateCanvasImage(2000, 1500, PixelFromColor(g_colors.background)));
    ASSERT_TRUE(SaveImageFile(Path(L"big.bmp")));
    ASSERT_TRUE(CreateCanvasImage(10, 10, PixelFromColor(g_colors.background)));
    ASSERT_TRUE(SaveImageFile(Path(L"small.bmp")));
    RECT before;
    GetWindowRect(g_app.main, &before);
    ASSERT_TRUE(LoadImageFile(Path(L"big.bmp")));
    RECT after;
    GetWindowRect(g_app.main, &after);
    EXPECT_EQ(after.right - after.left, work.right - work.left);
    EXPECT_EQ(after.bottom - after.top, work.bottom - work.top);
    EXPECT_EQ(after.left, before.left) << "it keeps its place";
    ASSERT_TRUE(LoadImageFile(Path(L"small.bmp")));
    RECT last;
    GetWindowRect(g_app.main, &last);
    EXPECT_EQ(last.right - last.left, after.right - after.left);
    EXPECT_EQ(last.bottom - last.top, after.bottom - after.top);
}

TEST_F(Files, PngJpegAndGifGoThroughGdiplus) {
    struct Case {
        const wchar_t* name;
        const char* magic;
        bool exact;
    } cases[] = {{L"p.png", "\x89PNG", true}, {L"j.jpg", "\xFF\xD8\xFF", false}, {L"g.gif", "GIF8", true}};
    for (const Case& c : cases) {
        const std::wstring path = Path(c.name);
        MakeSavedPicture(path);
        const std::vector<char> bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 8u);
        EXPECT_EQ(std::memcmp(bytes.data(), c.magic, std::strlen(c.magic)), 0) << WideToUtf8(c.name);
        ASSERT_TRUE(CreateCanvasImage(5, 5, PixelFromColor(g_colors.background)));
        ASSERT_TRUE(LoadImageFile(path)) << WideToUtf8(c.name);
        EXPECT_EQ(g_canvas.width, 40);
        if (c.exact) {
            EXPECT_EQ(PictureAt(3, 2), 0xFFFF0000u) << WideToUtf8(c.name);
            EXPECT_EQ(PictureAt(5, 5), 0xFF00FF00u) << WideToUtf8(c.name);
            EXPECT_EQ(PictureAt(20, 20), 0xFFFFFFFFu) << WideToUtf8(c.name);
        }
    }
    EXPECT_TRUE(NoTempFileLeft());
}

TEST_F(Files, AGifOfMoreThan256ColoursIsReducedButKeepsItsLook) {
    // A smooth two-way gradient of 4,096 colours.
    ASSERT_TRUE(CreateCanvasImage(64, 64, 0u));
    const PixelView v = CanvasPixels();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            WritePixel(v, x, y,
                       0xFF000000u | static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 4) << 8 | 0x80);
    const std::vector<uint32_t> original(g_canvas.pixels, g_canvas.pixels + 64 * 64);
    ASSERT_TRUE(SaveImageFile(Path(L"many.gif")));
    ASSERT_TRUE(LoadImageFile(Path(L"many.gif")));
    int worst = 0;
    for (int i = 0; i < 64 * 64; ++i)
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(static_cast<int>((original[i] >> shift & 0xFF) -
                                                              (g_canvas.pixels[i] >> shift & 0xFF))));
    EXPECT_GT(worst, 0) << "4,096 colours cannot all survive";
    EXPECT_LE(worst, 24) << "but each stays close to its own";
}

TEST_F(Files, ATargetThatCannotBeWrittenKeepsTheFileAndTheChanges) {
    const std::wstring path = Path(L"held.bmp");
    MakeSavedPicture(path);
    const std::vector<char> before = ReadBytes(path);
    WritePixel(CanvasPixels(), 10, 10, 0xFF00FF00u);
    PushUndoSnapshot();
    const size_t levels = g_undo.undo.size();
    // Another program holds the file open without sharing.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 103);
    CloseHandle(held);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Failed to save the image.");
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(g_document.modified);
    EXPECT_EQ(MainCaption(), path + L" * - Kolvex");
    EXPECT_EQ(g_undo.undo.size(), levels);
    EXPECT_TRUE(NoTempFileLeft());
}

TEST_F(Files, AFolderThatDisappearedFailsTheSaveAndKeepsTheChanges) {
    const std::wstring sub = Path(L"gone");
    CreateDirectoryW(sub.c_str(), nullptr);
    const std::wstring path = sub + L"\\pic.png";
    MakeSavedPicture(path);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(sub.c_str());
    PushUndoSnapshot();
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 103);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Failed to save the image.");
    EXPECT_TRUE(g_document.modified);
    EXPECT_EQ(Utf8ToWide(g_document.path), path);
}

TEST_F(Files, HostileAndBrokenFilesLeaveThePictureAlone) {
    // A "BM" file whose width would wrap the pixel count, a file of noise and an empty file.
    std::vector<char> hostile(64, 0);
    const unsigned char head[] = {'B', 'M', 0, 0,    0, 0, 0,    0, 0, 0, 54, 0, 0, 0,  40,
                                  0,   0,   0, 0x01, 0, 0, 0x40, 4, 0, 0, 0,  1, 0, 32, 0};
    std::memcpy(hostile.data(), head, sizeof head);
    WriteBytes(Path(L"hostile.bmp"), hostile);
    WriteBytes(Path(L"noise.png"), std::vector<char>(500, 'x'));
    WriteBytes(Path(L"empty.bmp"), {});
    WritePixel(CanvasPixels(), 1, 1, 0xFF0000FFu);
    PushUndoSnapshot();
    const DocumentLook before = LookOfDocument();
    ASSERT_TRUE(before.modified);
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"hostile.bmp", L"A picture of 1073741825 x 4 pixels is too large."},
        {L"noise.png", L"Could not open 'noise.png'."},
        {L"empty.bmp", L"Could not open 'empty.bmp'."},
        {L"missing.bmp", L"Could not open 'missing.bmp'."},
    };
    for (const auto& [name, text] : cases) {
        s_answer = Path(name);
        AnswerNextMessageBox(IDNO); // do not save the changes first
        Post(g_app.main, WM_COMMAND, 102);
        EXPECT_EQ(GetStatusText(kStatusMessage), text);
        EXPECT_EQ(PictureAt(1, 1), 0xFF0000FFu);
        ExpectSameLook(before);
    }
}

TEST_F(Files, SaveAsOffersTheDocumentsNameAndFormatAndAddsTheChosenExtension) {
    s_answer.clear();
    EXPECT_FALSE(SaveDocumentAs(g_app.main));
    EXPECT_EQ(s_shownFile, L"Untitled.bmp");
    EXPECT_EQ(s_shownFilter, 1);
    s_answer = Path(L"chosen");
    s_filter = 2;
    EXPECT_TRUE(SaveDocumentAs(g_app.main));
    s_filter = 0;
    EXPECT_TRUE(FileExists(Path(L"chosen.png")));
    EXPECT_EQ(MainCaption(), Path(L"chosen.png") + L" - Kolvex");
    s_answer.clear();
    (void)SaveDocumentAs(g_app.main);
    EXPECT_EQ(s_shownFile, Path(L"chosen.png"));
    EXPECT_EQ(s_shownFilter, 2);
}

TEST_F(Files, SaveOfANameThatCannotBeWrittenAsItsFormatAsksForANewOne) {
    const std::wstring tif = Path(L"scan.tif");
    WriteBytes(tif, {'I', 'I', '*', 0});
    g_document.path = WideToUtf8(tif);
    PushUndoSnapshot();
    s_answer.clear(); // the user cancels Save As
    Post(g_app.main, WM_COMMAND, 103);
    EXPECT_EQ(s_calls, 1);
    EXPECT_EQ(ReadBytes(tif), (std::vector<char>{'I', 'I', '*', 0})) << "no BMP bytes under a .tif name";
    EXPECT_TRUE(g_document.modified);
    // The proposal is a bitmap name under the bitmap filter, so Return writes what the name says.
    EXPECT_EQ(s_shownFile, Path(L"scan.bmp"));
    EXPECT_EQ(s_shownFilter, 1);
    s_answer = Path(L"scan.bmp");
    Post(g_app.main, WM_COMMAND, 103);
    EXPECT_EQ(ReadBytes(Path(L"scan.bmp")).size(), 54u + 640u * 3u * 480u);
    EXPECT_EQ(ReadBytes(tif), (std::vector<char>{'I', 'I', '*', 0}));
    // A typed name of a format the program cannot write gets the filter's extension too.
    s_answer = Path(L"again.tif");
    Post(g_app.main, WM_COMMAND, 104);
    EXPECT_FALSE(FileExists(Path(L"again.tif")));
    EXPECT_TRUE(FileExists(Path(L"again.tif.bmp")));
    EXPECT_EQ(MainCaption(), Path(L"again.tif.bmp") + L" - Kolvex");
    DeleteFileW(Path(L"scan.bmp").c_str());
    DeleteFileW(Path(L"again.tif.bmp").c_str());
}

TEST_F(Files, NewAsksFirstAndGivesAWhiteUntitledPicture) {
    ASSERT_TRUE(CreateCanvasImage(900, 700, 0u));
    PushUndoSnapshot();
    AnswerNextMessageBox(IDCANCEL);
    Post(g_app.main, WM_COMMAND, 101);
    EXPECT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(g_canvas.width, 900);
    EXPECT_TRUE(g_document.modified);
    AnswerNextMessageBox(IDNO);
    Post(g_app.main, WM_COMMAND, 101);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Save changes to current picture?");
    EXPECT_EQ(g_canvas.width, 640);
    EXPECT_EQ(g_canvas.height, 480);
    EXPECT_EQ(PictureAt(639, 479), 0xFFFFFFFFu);
    EXPECT_TRUE(g_undo.undo.empty());
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
}

TEST_F(Files, ADroppedFileOnAChangedPictureAsksFirst) {
    const std::wstring path = Path(L"dropped.bmp");
    MakeSavedPicture(path);
    ASSERT_TRUE(CreateCanvasImage(100, 100, PixelFromColor(g_colors.background)));
    g_document.path.clear();
    PushUndoSnapshot();
    AnswerNextMessageBox(IDCANCEL);
    SendMessageW(g_app.main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(path)), 0);
    EXPECT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(g_canvas.width, 100) << "Cancel keeps the picture";
    EXPECT_TRUE(g_document.modified);
    AnswerNextMessageBox(IDNO);
    SendMessageW(g_app.main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(path)), 0);
    EXPECT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(g_canvas.width, 40);
    EXPECT_EQ(MainCaption(), path + L" - Kolvex");
}

// As for a standard user where the keys may not be written.
LSTATUS WINAPI RefuseKey(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, const LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD) {
    return ERROR_ACCESS_DENIED;
}

TEST_F(Files, RegisteringWritesBothCommandKeysOrSaysItCouldNot) {
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 503);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Association Registered|Kolvex has been registered as a handler for Bitmap (.bmp) files!");
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    for (const wchar_t* key : {L"Applications\\Kolvex.exe\\shell\\open\\command",
                               L"SystemFileAssociations\\image\\shell\\Kolvex\\command"}) {
        wchar_t value[1024] = {};
        DWORD size = sizeof value;
        // The per-user classes, which Windows shows under HKEY_CLASSES_ROOT too.
        const std::wstring full = L"Software\\Classes\\" + std::wstring(key);
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, full.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::wstring(value), L"\"" + std::wstring(exe) + L"\" \"%1\"");
    }
    g_regCreateKey = &RefuseKey;
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 503);
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Could not register Kolvex as a handler for Bitmap files.");
}

TEST_F(Files, WallpaperNeedsASavedPictureAndSetsTheTiling) {
    s_answer.clear();
    Post(g_app.main, WM_COMMAND, 105); // untitled: Save As first, cancelled
    EXPECT_EQ(s_calls, 1);
    const std::wstring path = Path(L"wall.bmp");
    MakeSavedPicture(path);
    for (const auto& [command, tile] : {std::pair{105, L"1"}, std::pair{106, L"0"}}) {
        Post(g_app.main, WM_COMMAND, command);
        wchar_t value[8] = {};
        DWORD size = sizeof value;
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"TileWallpaper", RRF_RT_REG_SZ, nullptr,
                               value, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::wstring(value), tile);
    }
    wchar_t current[MAX_PATH] = {};
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, current, 0);
    EXPECT_EQ(std::wstring(current), path);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(L""), SPIF_UPDATEINIFILE);
}

} // namespace
