// Loading and saving on a system without GDI+. Disabled in the normal run: image_round_trip_test.sh runs them with
// WINEDLLOVERRIDES=gdiplus=d, which makes LoadLibrary("gdiplus.dll") fail for this process.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "files/files_fixture.h"
#include "files/image_load.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"

namespace {

class NoGdiplus : public Files {
protected:
    void SetUp() override {
        Files::SetUp();
        HMODULE gdiplus = LoadLibraryW(L"gdiplus.dll");
        if (gdiplus) FreeLibrary(gdiplus);
        ASSERT_EQ(gdiplus, nullptr) << "GDI+ is present: run with WINEDLLOVERRIDES=\"mscoree,mshtml=;gdiplus=d\"";
    }
};

void PutLe(std::vector<char>& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

// A 3 x 2 8-bit BMP, bottom-up, with a 3-colour palette and rows padded to 4 bytes: the top row is red, green,
// blue, the bottom row blue, blue, red.
std::vector<char> PaletteBmp() {
    const uint32_t palette[] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu}; // 0x00RRGGBB
    const unsigned char rows[] = {2, 2, 0, 0, /* bottom */ 0, 1, 2, 0 /* top */};
    const size_t offset = 14 + 40 + 4 * 3;
    std::vector<char> b(offset + sizeof rows, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutLe(b, 2, static_cast<uint32_t>(b.size()), 4);
    PutLe(b, 10, offset, 4);
    PutLe(b, 14, 40, 4);
    PutLe(b, 18, 3, 4);
    PutLe(b, 22, 2, 4);
    PutLe(b, 26, 1, 2);
    PutLe(b, 28, 8, 2);
    PutLe(b, 46, 3, 4); // colours used
    for (int i = 0; i < 3; ++i)
        PutLe(b, 54 + 4 * i, palette[i], 4); // blue, green, red, 0 in the file
    std::memcpy(b.data() + offset, rows, sizeof rows);
    return b;
}

// A valid 1 x 1 red PNG, which only GDI+ could read.
const unsigned char kRedPng[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
                                 0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
                                 0x00, 0x90, 0x77, 0x53, 0xDE, 0x00, 0x00, 0x00, 0x0C, 0x49, 0x44, 0x41, 0x54, 0x78,
                                 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0xC9, 0xFE, 0x92,
                                 0xEF, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

TEST_F(NoGdiplus, DISABLED_ABmpLoadsThroughTheProgramsOwnReader) {
    const std::wstring path = Path(L"own.bmp");
    WriteBytes(path, PaletteBmp());
    ASSERT_TRUE(LoadImageFile(path));
    ASSERT_EQ(g_canvas.width, 3);
    ASSERT_EQ(g_canvas.height, 2);
    const uint32_t want[2][3] = {{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}, {0xFF0000FFu, 0xFF0000FFu, 0xFFFF0000u}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PictureAt(x, y), want[y][x]) << "pixel " << x << ", " << y;
    EXPECT_EQ(MainCaption(), path + L" - Kolvex");
}

TEST_F(NoGdiplus, DISABLED_APngDoesNotLoadAndThePictureStays) {
    const std::wstring path = Path(L"x.png");
    WriteBytes(path, std::vector<char>(std::begin(kRedPng), std::end(kRedPng)));
    WritePixel(CanvasPixels(), 5, 5, 0xFF00FF00u);
    PushUndoSnapshot();
    const DocumentLook before = LookOfDocument();
    ASSERT_EQ(before.width, 640);
    ASSERT_EQ(before.height, 480);
    ASSERT_TRUE(before.modified);
    s_answer = path;
    AnswerNextMessageBox(IDNO); // do not save the changes first
    Post(g_app.main, WM_COMMAND, 102);
    EXPECT_TRUE(MessageBoxWasAnswered(nullptr));
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Could not open 'x.png'.");
    EXPECT_EQ(PictureAt(5, 5), 0xFF00FF00u);
    ExpectSameLook(before);
}

TEST_F(NoGdiplus, DISABLED_SaveAsPngSaysGdiplusIsNeededAndKeepsTheChanges) {
    PushUndoSnapshot();
    const std::wstring path = Path(L"x.png");
    s_answer = path;
    AnswerNextMessageBox(IDOK);
    Post(g_app.main, WM_COMMAND, 104);
    std::wstring box;
    ASSERT_TRUE(MessageBoxWasAnswered(&box));
    EXPECT_EQ(box, L"Kolvex|Saving PNG / JPEG / GIF requires GDI+ (gdiplus.dll).\r\nIt is included with Windows XP and "
                   L"later.\r\nOn older systems, save as BMP or install the GDI+ redistributable.");
    EXPECT_TRUE(g_document.modified);
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(NoTempFileLeft());
}

} // namespace
