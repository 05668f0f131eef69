// What an open says when it refuses a picture or opens a cut one, from every way a user opens a file, and that
// a file GDI+ cannot decode is not left open.
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "document/canvas_image.h"
#include "files/file_commands.h"
#include "files/files_fixture.h"
#include "files/gdiplus_bridge.h"
#include "files/image_load.h"
#include "shell/app.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "shell/status_bar.h"
#include "base/text_convert.h"
#include "support/app_fixture.h"

namespace {

void PutLe(std::vector<char>& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

// The 54 header bytes of a 24-bit BMP of that size and a few bytes of rows: all the reader needs to judge it.
std::vector<char> BmpHeader(int width, int height, uint32_t compression = 0, uint16_t bits = 24) {
    std::vector<char> b(58, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutLe(b, 10, 54, 4);
    PutLe(b, 14, 40, 4);
    PutLe(b, 18, static_cast<uint32_t>(width), 4);
    PutLe(b, 22, static_cast<uint32_t>(height), 4);
    PutLe(b, 26, 1, 2);
    PutLe(b, 28, bits, 2);
    PutLe(b, 30, compression, 4);
    return b;
}

enum class Way { OpenDialog, Drop, CommandLine, AnsiCommandLine, RecentFile };
const struct {
    Way way;
    const char* name;
} kEveryWay[] = {{Way::OpenDialog, "Open dialog"},
                 {Way::Drop, "dropped file"},
                 {Way::CommandLine, "command line"},
                 {Way::AnsiCommandLine, "command line in the ANSI code page"},
                 {Way::RecentFile, "recent file"}};

bool s_boxSeen = false;
// Closes any message box the open shows; an open that reports in the status bar shows none.
void CALLBACK CloseAnyBox(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = FindThreadDialog()) {
        s_boxSeen = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

HBITMAP WINAPI RefuseDibSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

class OpeningFiles : public Files {
protected:
    void TearDown() override {
        g_createDibSection = &CreateDIBSection;
        Files::TearDown();
    }
    // Opens path the way a user would, with the picture unchanged so that no question comes first. False when a
    // message box came up.
    static bool OpenBy(Way way, const std::wstring& path) {
        s_boxSeen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseAnyBox);
        switch (way) {
        case Way::OpenDialog:
            s_answer = path;
            Post(g_app.main, WM_COMMAND, kCmdOpen);
            break;
        case Way::Drop:
            SendMessageW(g_app.main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(path)), 0);
            PumpMessages();
            break;
        case Way::CommandLine: ActOnCommandLine(g_app.main, {L"Kolvex.exe", path}, nullptr); break;
        case Way::AnsiCommandLine: ActOnCommandLine(g_app.main, {L"Kolvex.exe"}, WideToAnsi(path).c_str()); break;
        case Way::RecentFile:
            AddRecentFile(path);
            Post(g_app.main, WM_COMMAND, kCmdRecentFirst);
            break;
        }
        KillTimer(nullptr, timer);
        return !s_boxSeen;
    }
};

TEST_F(OpeningFiles, APictureTooLargeOrBeyondMemoryIsRefusedWithItsSizeFromEveryWayOfOpening) {
    WriteBytes(Path(L"big.bmp"), BmpHeader(12000, 9000));
    WriteBytes(Path(L"wide.bmp"), BmpHeader(40000, 10));
    // Only GDI+ reads a PNG, and it makes the pixels before the program learns the size.
    std::vector<uint32_t> wide(40000 * 10, 0xFF808080u);
    ASSERT_EQ(EncodeWithGdiplus(Path(L"wide.png"), ImageFormat::Png, {wide.data(), 40000, 10}), EncodeResult::Saved);
    MakeSavedPicture(Path(L"fits.bmp")); // 40 x 30, refused below for want of a surface
    FreshWhitePicture();
    WritePixel(CanvasPixels(), 2, 2, 0xFF0000FFu);
    const DocumentLook before = LookOfDocument();
    const struct {
        const wchar_t* file;
        bool noSurface;
        const wchar_t* text;
    } cases[] = {
        {L"big.bmp", false, L"A picture of 12000 x 9000 pixels is too large."},
        {L"wide.bmp", false, L"A picture of 40000 x 10 pixels is too large."},
        {L"wide.png", false, L"A picture of 40000 x 10 pixels is too large."},
        {L"fits.bmp", true, L"Not enough memory for a picture of 40 x 30 pixels."},
    };
    for (const auto& c : cases) {
        for (const auto& w : kEveryWay) {
            SCOPED_TRACE(WideToUtf8(c.file) + " by " + w.name);
            SetStatusText(kStatusMessage, L"");
            if (c.noSurface) g_createDibSection = &RefuseDibSection;
            EXPECT_TRUE(OpenBy(w.way, Path(c.file))) << "a message box instead of the status bar";
            g_createDibSection = &CreateDIBSection;
            EXPECT_EQ(GetStatusText(kStatusMessage), c.text);
            EXPECT_EQ(PictureAt(2, 2), 0xFF0000FFu);
            ExpectSameLook(before);
        }
    }
}

TEST_F(OpeningFiles, ACutFileOpensWithItsMissingRowsWhiteAndSaysSoFromEveryWayOfOpening) {
    FreshWhitePicture(40, 30);
    WritePixel(CanvasPixels(), 7, 28, 0xFF0000FFu);
    WritePixel(CanvasPixels(), 7, 5, 0xFFFF0000u);
    const std::wstring path = Path(L"cut.bmp");
    ASSERT_TRUE(SaveImageFile(path));
    // Bottom-up rows of 120 bytes: 20 rows and half of the next one remain, the top 10 rows are gone.
    std::vector<char> bytes = ReadBytes(path);
    bytes.resize(54 + 120 * 20 + 60);
    WriteBytes(path, bytes);
    for (const auto& w : kEveryWay) {
        SCOPED_TRACE(w.name);
        FreshWhitePicture();
        SetStatusText(kStatusMessage, L"");
        EXPECT_TRUE(OpenBy(w.way, path));
        EXPECT_EQ(GetStatusText(kStatusMessage), L"The picture file ends early; the missing rows are shown white.");
        EXPECT_EQ(g_canvas.width, 40);
        EXPECT_EQ(PictureAt(7, 28), 0xFF0000FFu);
        EXPECT_EQ(PictureAt(7, 5), 0xFFFFFFFFu);
        EXPECT_EQ(MainCaption(), path + L" - Kolvex");
    }
}

TEST_F(OpeningFiles, AFileGdiplusCannotDecodeIsRefusedAndLeftFreeToDelete) {
    // Noise, so that nearly all of the PNG is image data and the cut falls inside it.
    std::vector<uint32_t> noise(64 * 64);
    std::mt19937 random(3);
    for (uint32_t& p : noise)
        p = 0xFF000000u | static_cast<uint32_t>(random());
    ASSERT_EQ(EncodeWithGdiplus(Path(L"whole.png"), ImageFormat::Png, {noise.data(), 64, 64}), EncodeResult::Saved);
    std::vector<char> png = ReadBytes(Path(L"whole.png"));
    ASSERT_GT(png.size(), 8000u);
    png.resize(png.size() * 2 / 3);
    WriteBytes(Path(L"cut.png"), png);
    // A BMP whose body is meant for another decoder: the program's own reader hands it on to GDI+.
    std::vector<char> bmp = BmpHeader(64, 64, 5, 0);
    bmp.resize(54);
    bmp.insert(bmp.end(), png.begin(), png.end());
    WriteBytes(Path(L"png_inside.bmp"), bmp);
    const DocumentLook before = LookOfDocument();
    for (const wchar_t* name : {L"cut.png", L"png_inside.bmp"}) {
        SCOPED_TRACE(WideToUtf8(name));
        EXPECT_TRUE(OpenBy(Way::OpenDialog, Path(name)));
        EXPECT_EQ(GetStatusText(kStatusMessage), L"Could not open '" + std::wstring(name) + L"'.");
        ExpectSameLook(before);
        EXPECT_TRUE(DeleteFileW(Path(name).c_str())) << "the file is still open: error " << GetLastError();
    }
}

} // namespace
