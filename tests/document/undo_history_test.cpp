#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/canvas_image.h"
#include "document/undo_core.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"
#include "toolbox/color_box.h"

namespace {

// The history is filled by pencil strokes.
class UndoHistoryTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ChoosePencil();
    }
};

constexpr wchar_t kReadBackFailed[] = L"Undo step could not be read back from disk.";

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;
    bool operator==(const Picture&) const = default;
};

Picture CurrentPicture() {
    GdiFlush();
    Picture p{g_canvas.width, g_canvas.height, {}};
    if (g_canvas.pixels) p.px.assign(g_canvas.pixels, g_canvas.pixels + static_cast<size_t>(p.width) * p.height);
    return p;
}

std::wstring TempFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::wstring t(buf, n);
    if (!t.empty() && t.back() != L'\\') t += L'\\';
    return t;
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) return 0;
    return uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
}

bool WriteFileBytes(const std::wstring& path, const void* data, DWORD size, DWORD offset, bool truncateAfter) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = SetFilePointer(f, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset &&
              (size == 0 || (WriteFile(f, data, size, &written, nullptr) && written == size));
    if (truncateAfter) ok = ok && SetEndOfFile(f);
    CloseHandle(f);
    return ok;
}

// "<digits>_<digits>.tmp" after "u_".
bool IsSpoolFileName(const std::wstring& name) {
    if (name.rfind(L"u_", 0) != 0 || name.size() < 10 || name.substr(name.size() - 4) != L".tmp") return false;
    const std::wstring mid = name.substr(2, name.size() - 6);
    const size_t sep = mid.find(L'_');
    if (sep == std::wstring::npos || sep == 0 || sep + 1 == mid.size()) return false;
    for (size_t i = 0; i < mid.size(); ++i)
        if (i != sep && !std::iswdigit(mid[i])) return false;
    return true;
}

// A change of every pixel, so that its level holds the whole picture's tiles.
void ChangeEverything(uint32_t pixel) {
    PushUndoSnapshot();
    GdiFlush();
    FillPixels(CanvasPixels(), pixel);
}

// A short pencil stroke of the given colour on row y: one snapshot each.
void Stroke(COLORREF color, int y) {
    g_colors.foreground = color;
    CanvasDrag(1, 10, y, 60, y + 3, 2);
}

TEST_F(UndoHistoryTest, CaptionStaysModifiedAfterUndoingEveryStroke) {
    EXPECT_EQ(MainCaption(), L"Untitled - Kolvex");
    const Picture blank = CurrentPicture();
    Stroke(RGB(255, 0, 0), 20);
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    Stroke(RGB(0, 0, 255), 40);
    Stroke(RGB(0, 255, 0), 60);
    ASSERT_EQ(g_undo.undo.size(), 3u);
    for (int i = 0; i < 3; ++i)
        SendMessageW(g_app.main, WM_COMMAND, 201, 0);
    EXPECT_EQ(CurrentPicture(), blank);
    EXPECT_TRUE(g_undo.undo.empty());
    EXPECT_EQ(g_undo.redo.size(), 3u);
    // Back at the blank picture, but not at a saved one: the document is still modified.
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
    EXPECT_TRUE(g_document.modified);
}

TEST_F(UndoHistoryTest, UndoAndRedoRestoreExactPixels) {
    std::vector<Picture> states{CurrentPicture()};
    const COLORREF colors[] = {RGB(255, 0, 0), RGB(1, 2, 3), RGB(0, 0, 255), RGB(254, 255, 253)};
    int y = 10;
    for (COLORREF c : colors) {
        Stroke(c, y);
        y += 7;
        states.push_back(CurrentPicture());
    }
    for (size_t i = states.size() - 1; i > 0; --i) {
        Undo();
        EXPECT_EQ(CurrentPicture(), states[i - 1]) << "after undoing to state " << i - 1;
    }
    Undo(); // nothing left: no change
    EXPECT_EQ(CurrentPicture(), states[0]);
    for (size_t i = 1; i < states.size(); ++i) {
        Redo();
        EXPECT_EQ(CurrentPicture(), states[i]) << "after redoing to state " << i;
    }
    EXPECT_TRUE(g_undo.redo.empty());
    EXPECT_EQ(g_undo.undo.size(), states.size() - 1);
}

TEST_F(UndoHistoryTest, RedoAfterANewSnapshotDoesNothing) {
    Stroke(RGB(255, 0, 0), 20);
    Stroke(RGB(0, 0, 255), 40);
    Undo();
    ASSERT_EQ(g_undo.redo.size(), 1u);
    Stroke(RGB(0, 255, 0), 80);
    EXPECT_TRUE(g_undo.redo.empty());
    const Picture after = CurrentPicture();
    Redo();
    SendMessageW(g_app.main, WM_COMMAND, 202, 0);
    EXPECT_EQ(CurrentPicture(), after);
    EXPECT_EQ(g_undo.undo.size(), 2u);
}

TEST_F(UndoHistoryTest, UndoOfAGripResizeRestoresTheSize) {
    EnlargeMainWindow();
    Stroke(RGB(255, 0, 0), 20);
    const Picture before = CurrentPicture();
    g_view.scrollX = g_view.scrollY = 0;
    CanvasPress(1, 641, 481);
    CanvasMove(701, 521, MK_LBUTTON);
    CanvasRelease(1, 701, 521);
    ASSERT_EQ(g_canvas.width, 700);
    ASSERT_EQ(g_canvas.height, 520);
    const Picture resized = CurrentPicture();
    ASSERT_EQ(g_undo.undo.size(), 2u);
    Undo();
    EXPECT_EQ(CurrentPicture(), before);
    Redo();
    EXPECT_EQ(CurrentPicture(), resized);
    // A picture much larger than the window leaves the view clamped to it after undo makes it small again.
    ASSERT_EQ(ResizeCanvasImage(3000, 2500, PixelFromColor(g_colors.background), true), ResizeResult::Done);
    SetZoom(4, nullptr);
    g_view.scrollX = 9000;
    g_view.scrollY = 8000;
    ClampScroll();
    Undo();
    EXPECT_EQ(CurrentPicture(), resized);
    RECT client;
    GetClientRect(g_app.canvas, &client);
    EXPECT_LE(g_view.scrollX, std::max(0, 700 * 4 - static_cast<int>(client.right)));
    EXPECT_LE(g_view.scrollY, std::max(0, 520 * 4 - static_cast<int>(client.bottom)));
}

TEST_F(UndoHistoryTest, TheThousandAndFirstSnapshotDropsTheOldestAndItsFile) {
    ASSERT_TRUE(CreateCanvasImage(100, 100, PixelFromColor(g_colors.background)));
    // Level k returns to the picture of value k everywhere, so its place in the stack shows what was dropped.
    for (uint32_t k = 0; k < 1000; ++k) {
        FillPixels(CanvasPixels(), k);
        PushUndoSnapshot();
    }
    ASSERT_EQ(g_undo.undo.size(), 1000u);
    // 40,000 bytes of tiles a level: the first ones have gone to disk to keep within 32 MiB.
    const std::wstring oldest = g_undo.undo.front().spoolPath;
    ASSERT_FALSE(oldest.empty());
    ASSERT_TRUE(FileExists(oldest));
    EXPECT_LE(UndoMemoryBytes(), kUndoMemoryBudget);
    FillPixels(CanvasPixels(), 1000);
    PushUndoSnapshot();
    EXPECT_EQ(g_undo.undo.size(), 1000u);
    EXPECT_FALSE(FileExists(oldest));
    for (uint32_t k = 1001; k-- > 1;) {
        Undo();
        ASSERT_EQ(PictureAt(0, 0), k) << "undo to level " << k;
    }
    EXPECT_TRUE(g_undo.undo.empty());
    EXPECT_LE(UndoMemoryBytes(), kRedoMemoryBudget);
}

TEST_F(UndoHistoryTest, ALargePictureKeepsTwoWholeLevelsInMemoryAndSpoolsTheThird) {
    ASSERT_TRUE(CreateCanvasImage(2000, 2000, PixelFromColor(g_colors.background)));
    // 2,000 x 2,000 in tiles of 64: 32 x 32 tiles, so a level of every tile holds 16,000,000 bytes and its list.
    constexpr uint64_t kWholeTiles = 16000000 + 1024 * 4;
    ChangeEverything(0xFF111111u);
    ChangeEverything(0xFF222222u);
    ChangeEverything(0xFF333333u);
    ASSERT_EQ(g_undo.undo.size(), 3u);
    EXPECT_TRUE(g_undo.undo[0].spoolPath.empty());
    EXPECT_TRUE(g_undo.undo[1].spoolPath.empty());
    EXPECT_TRUE(g_undo.undo[2].open) << "the newest waits for its tiles";
    EXPECT_EQ(UndoMemoryBytes(), 2 * kWholeTiles);
    ChangeEverything(0xFF444444u);
    ASSERT_EQ(g_undo.undo.size(), 4u);
    const std::wstring path = g_undo.undo[0].spoolPath;
    EXPECT_TRUE(g_undo.undo[0].content.pixels.empty());
    EXPECT_TRUE(g_undo.undo[1].spoolPath.empty());
    EXPECT_TRUE(g_undo.undo[2].spoolPath.empty());
    EXPECT_EQ(UndoMemoryBytes(), 2 * kWholeTiles);
    EXPECT_EQ(ShadowBytes(), 16000000u) << "and one picture more";

    const std::wstring folder = TempFolder() + L"kolvex_undo_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(path.rfind(folder + L"\\", 0), 0u) << "spooled to " << std::string(path.begin(), path.end());
    EXPECT_TRUE(IsSpoolFileName(path.substr(folder.size() + 1)));
    EXPECT_EQ(FileSize(path), 12u + kWholeTiles);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    uint8_t header[12] = {};
    DWORD got = 0;
    ReadFile(f, header, 12, &got, nullptr);
    CloseHandle(f);
    const uint8_t expected[12] = {0xD0, 0x07, 0, 0, 0xD0, 0x07, 0, 0, 0x00, 0x04, 0, 0}; // 2000, 2000, 1024 tiles
    EXPECT_EQ(std::memcmp(header, expected, 12), 0);
    for (uint32_t v : {0xFF333333u, 0xFF222222u, 0xFF111111u}) {
        Undo();
        EXPECT_EQ(PictureAt(1999, 0), v);
    }
    Undo();
    EXPECT_EQ(PictureAt(1000, 1000), 0xFFFFFFFFu) << "the spooled level read back";

    ClearUndoHistory();
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(folder));
    ClearUndoHistory(); // twice is harmless
}

TEST_F(UndoHistoryTest, AStrokeKeepsOnlyItsTilesAndThousandsOfThemNeedNoDisk) {
    ASSERT_TRUE(CreateCanvasImage(4000, 3000, 0xFFFFFFFFu));
    const Picture original = CurrentPicture();
    const std::wstring folder = TempFolder() + L"kolvex_undo_" + std::to_wstring(GetCurrentProcessId());
    for (int i = 0; i < 1000; ++i) {
        PushUndoSnapshot();
        WritePixel(CanvasPixels(), (i * 37) % 4000, (i * 91) % 3000, 0xFF000000u | static_cast<uint32_t>(i));
    }
    ASSERT_EQ(g_undo.undo.size(), 1000u);
    EXPECT_LE(UndoMemoryBytes(), uint64_t{1000} * (64 * 64 * 4 + 4)) << "a tile a stroke at most";
    EXPECT_EQ(ShadowBytes(), uint64_t{4000} * 3000 * 4);
    for (int i = 0; i < 1000; ++i)
        Undo();
    EXPECT_EQ(CurrentPicture(), original);
    EXPECT_FALSE(FileExists(folder)) << "no level was spooled";
    EXPECT_LE(UndoMemoryBytes(), kUndoMemoryBudget + kRedoMemoryBudget);
    ClearUndoHistory();
}

TEST_F(UndoHistoryTest, AChangeAfterUndoDeletesTheSpooledRedoLevels) {
    ASSERT_TRUE(CreateCanvasImage(2000, 2000, PixelFromColor(g_colors.background)));
    for (uint32_t v : {0xFF010101u, 0xFF020202u, 0xFF030303u, 0xFF040404u})
        ChangeEverything(v);
    Undo();
    Undo();
    Undo();
    ASSERT_EQ(g_undo.redo.size(), 3u);
    std::vector<std::wstring> files;
    for (const UndoEntry& e : g_undo.redo)
        if (!e.spoolPath.empty()) files.push_back(e.spoolPath);
    ASSERT_FALSE(files.empty()) << "16 MiB of redo levels in memory at most";
    CanvasDrag(1, 10, 10, 20, 20, 2);
    EXPECT_TRUE(g_undo.redo.empty());
    for (const std::wstring& f : files)
        EXPECT_FALSE(FileExists(f));
    ClearUndoHistory();
}

// Makes a 2,000 x 2,000 history whose oldest level is spooled, undoes the two levels in memory and returns
// the spool file of the one left.
std::wstring SpoolTheOldestOfThree(std::vector<Picture>* states) {
    states->clear();
    if (!CreateCanvasImage(2000, 2000, PixelFromColor(g_colors.background))) return {};
    // Four whole-picture changes: the fourth push spools the oldest level to keep 32 MiB.
    for (uint32_t v : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF808080u}) {
        states->push_back(CurrentPicture());
        ChangeEverything(v);
    }
    states->push_back(CurrentPicture());
    Undo();
    Undo();
    Undo();
    return g_undo.undo.size() == 1 ? g_undo.undo[0].spoolPath : std::wstring();
}

TEST_F(UndoHistoryTest, ADamagedSpoolFileLeavesPictureAndStacksAsTheyWere) {
    const uint8_t hugeHeader[8] = {0, 0, 1, 0, 0, 0, 1, 0}; // 65536 x 65536
    const uint8_t otherTile[4] = {0xFF, 0x03, 0, 0};        // the first index, 1023 instead of 0
    struct Case {
        const char* name;
        DWORD offset;
        const uint8_t* bytes;
        DWORD size;
        bool truncate;
    } cases[] = {{"truncated", 16000000 - 1000, nullptr, 0, true},
                 {"header 65536 x 65536", 0, hugeHeader, 8, false},
                 {"another tile list", 12, otherTile, 4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Picture> states;
        const std::wstring path = SpoolTheOldestOfThree(&states);
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(CurrentPicture(), states[1]);
        ASSERT_TRUE(WriteFileBytes(path, c.bytes, c.size, c.offset, c.truncate));
        const uint64_t damagedSize = FileSize(path);
        SetStatusText(kStatusMessage, L"");
        Undo();
        EXPECT_EQ(CurrentPicture(), states[1]);
        EXPECT_EQ(g_undo.undo.size(), 1u);
        EXPECT_EQ(g_undo.redo.size(), 3u);
        EXPECT_EQ(GetStatusText(kStatusMessage), kReadBackFailed);
        EXPECT_TRUE(FileExists(path)) << "the damaged file is kept";
        EXPECT_EQ(FileSize(path), damagedSize);
        // The history is still whole above the damaged level.
        Redo();
        Redo();
        Redo();
        EXPECT_EQ(CurrentPicture(), states[4]);
        ClearUndoHistory();
    }
}

HBITMAP WINAPI RefuseDib(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) { return nullptr; }

TEST_F(UndoHistoryTest, ALevelWhoseSurfaceCannotBeMadeGoesBack) {
    EnlargeMainWindow();
    const Picture before = CurrentPicture();
    ASSERT_EQ(ResizeCanvasImage(700, 500, PixelFromColor(g_colors.background), true), ResizeResult::Done);
    const Picture resized = CurrentPicture();
    g_createDibSection = &RefuseDib;
    Undo();
    g_createDibSection = &CreateDIBSection;
    EXPECT_EQ(CurrentPicture(), resized);
    EXPECT_EQ(g_undo.undo.size(), 1u);
    EXPECT_TRUE(g_undo.redo.empty());
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Not enough memory for a picture of 640 x 480 pixels.");
    Undo();
    EXPECT_EQ(CurrentPicture(), before);
}

// Takes the free address space of this 32-bit process, so that the next large allocation really fails.
struct AddressSpaceHog {
    std::vector<void*> blocks;
    AddressSpaceHog() {
        for (SIZE_T size : {SIZE_T{64} << 20, SIZE_T{4} << 20, SIZE_T{1} << 20}) {
            for (int i = 0; i < 4096; ++i) {
                void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
                if (!p) break;
                blocks.push_back(p);
            }
        }
    }
    ~AddressSpaceHog() {
        for (void* p : blocks)
            VirtualFree(p, 0, MEM_RELEASE);
    }
};

TEST_F(UndoHistoryTest, OutOfMemoryStillMarksTheDocumentAndSaysWhatWasLost) {
    ASSERT_TRUE(CreateCanvasImage(2000, 2000, PixelFromColor(g_colors.background)));
    ChangeEverything(0xFF010101u);
    ChangeEverything(0xFF020202u);
    Undo();
    ASSERT_EQ(g_undo.redo.size(), 1u);
    g_document.modified = false;
    UpdateWindowTitle();
    {
        AddressSpaceHog hog;
        ASSERT_FALSE(hog.blocks.empty());
        // Redo cannot keep the level back to the picture now: the undo history goes, the step itself is made.
        Redo();
        EXPECT_EQ(GetStatusText(kStatusMessage), L"Warning: Low memory; Undo history cleared.");
        EXPECT_EQ(PictureAt(2, 2), 0xFF020202u);
        EXPECT_TRUE(g_undo.undo.empty());
        EXPECT_TRUE(g_undo.redo.empty());
        g_document.modified = false;
        UpdateWindowTitle();
        SetStatusText(kStatusMessage, L"");
        AddressSpaceHog more; // what the redo level freed
        PushUndoSnapshot();
        GdiFlush();
        FillPixels(CanvasPixels(), 0xFF030303u);
        // The next snapshot cannot keep the changed tiles: that level goes, and with it every older one, which
        // only make sense on top of it; the new level starts afresh in the shadow's freed memory.
        PushUndoSnapshot();
        EXPECT_EQ(GetStatusText(kStatusMessage), L"Warning: Low memory; Undo history cleared.");
        EXPECT_EQ(g_undo.undo.size(), 1u);
    }
    // The change goes ahead without a level, so the document must count as changed.
    EXPECT_TRUE(g_document.modified);
    EXPECT_EQ(MainCaption(), L"Untitled * - Kolvex");
}

// A child process that exists as long as the test wants: this test program, started suspended.
struct SuspendedChild {
    PROCESS_INFORMATION pi{};
    SuspendedChild() {
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_list_tests";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi))
            pi = {};
    }
    ~SuspendedChild() {
        if (!pi.hProcess) return;
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

TEST_F(UndoHistoryTest, StaleSpoolFoldersAreRemovedBeforeTheFirstSpool) {
    const std::wstring temp = TempFolder();
    SuspendedChild child;
    ASSERT_NE(child.pi.hProcess, nullptr);
    const std::wstring stale = temp + L"kolvex_undo_99999";
    const std::wstring alive = temp + L"kolvex_undo_" + std::to_wstring(child.pi.dwProcessId);
    for (const std::wstring& dir : {stale, alive}) {
        CreateDirectoryW(dir.c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(dir + L"\\u_1_1.tmp", "x", 1, 0, true));
    }
    ASSERT_TRUE(CreateCanvasImage(2000, 2000, PixelFromColor(g_colors.background)));
    for (uint32_t v : {1u, 2u, 3u, 4u})
        ChangeEverything(v);
    ASSERT_FALSE(g_undo.undo[0].spoolPath.empty());
    EXPECT_FALSE(FileExists(stale));
    EXPECT_TRUE(FileExists(alive + L"\\u_1_1.tmp")) << "a running process's folder is not stale";
    DeleteFileW((alive + L"\\u_1_1.tmp").c_str());
    RemoveDirectoryW(alive.c_str());
}

// Run by tests/e2e/undo_small_disk_test.sh, which mounts a small file system and names it in KOLVEX_SMALL_TEMP.
TEST_F(UndoHistoryTest, DISABLED_SmallDiskDropsOldLevelsAndKeepsMemoryBounded) {
    const wchar_t* small = _wgetenv(L"KOLVEX_SMALL_TEMP");
    ASSERT_NE(small, nullptr) << "KOLVEX_SMALL_TEMP must name the small folder";
    ClearUndoHistory(); // the spool folder is made afresh in the new temporary folder
    wchar_t oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
    GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", small);
    SetEnvironmentVariableW(L"TEMP", small);
    std::wstring temp = small;
    if (temp.back() != L'\\') temp += L'\\';
    ASSERT_EQ(TempFolder(), temp) << "GetTempPathW does not follow TMP";
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(temp.c_str(), &freeBytes, nullptr, nullptr));

    ASSERT_TRUE(CreateCanvasImage(2000, 2000, PixelFromColor(g_colors.background)));
    constexpr uint64_t kLevel = 16000000 + 1024 * 4; // every tile of the picture and its list
    const size_t inMemory = kUndoMemoryBudget / kLevel;
    const size_t onDisk = SpoolDiskBudget(freeBytes.QuadPart) / (kLevel + 12);
    std::vector<Picture> states{CurrentPicture()};
    constexpr int kStrokes = 12;
    for (int i = 0; i < kStrokes; ++i) {
        ChangeEverything(0xFF000000u | static_cast<uint32_t>(0x010203 * (i + 1)));
        states.push_back(CurrentPicture());
        ASSERT_LE(UndoMemoryBytes(), kUndoMemoryBudget + kRedoMemoryBudget) << "after change " << i;
        ASSERT_GE(g_undo.undo.size(), std::min<size_t>(i + 1, inMemory + 1));
    }
    const size_t depth = g_undo.undo.size();
    EXPECT_EQ(depth, 1 + inMemory + onDisk) << "the open level, those in memory and those on the disk";
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Warning: Low disk space; the oldest Undo steps were dropped.");
    if (onDisk > 0) {
        EXPECT_EQ(g_undo.undo[0].spoolPath.rfind(temp + L"kolvex_undo_", 0), 0u) << "not spooled to the small disk";
        EXPECT_TRUE(FileExists(g_undo.undo[0].spoolPath));
    }
    EXPECT_LT(depth, static_cast<size_t>(kStrokes));
    // Every level that is left is exact, the spooled ones included.
    for (size_t k = 0; k < depth; ++k) {
        Undo();
        ASSERT_EQ(CurrentPicture(), states[kStrokes - 1 - k]) << "undo step " << k + 1;
        ASSERT_LE(UndoMemoryBytes(), kUndoMemoryBudget + kRedoMemoryBudget);
    }
    EXPECT_TRUE(g_undo.undo.empty());
    ClearUndoHistory();
    SetEnvironmentVariableW(L"TMP", oldTmp[0] ? oldTmp : nullptr);
    SetEnvironmentVariableW(L"TEMP", oldTemp[0] ? oldTemp : nullptr);
}

} // namespace
