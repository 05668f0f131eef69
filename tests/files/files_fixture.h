// A private folder of real files and canned answers in place of the common dialogs, for the tests of loading,
// saving and the File commands on the real main window.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "files/file_commands.h"
#include "files/image_save.h"
#include "shell/status_bar.h"
#include "support/app_fixture.h"

// The files tests build their files as bytes in a vector.
inline std::vector<char> ReadBytes(const std::wstring& path) {
    const std::string bytes = ReadWholeFile(path).value_or("");
    return {bytes.begin(), bytes.end()};
}
inline void WriteBytes(const std::wstring& path, const std::vector<char>& bytes) {
    (void)WriteWholeFile(path, std::string_view(bytes.data(), bytes.size()));
}

// What the user sees of the document; a refused open must leave all of it as it was.
struct DocumentLook {
    int width = 0, height = 0;
    size_t undoLevels = 0;
    std::wstring caption;
    bool modified = false;
};
inline DocumentLook LookOfDocument() {
    return {g_canvas.width, g_canvas.height, g_undo.undo.size(), MainCaption(), g_document.modified};
}
inline void ExpectSameLook(const DocumentLook& before) {
    const DocumentLook now = LookOfDocument();
    EXPECT_EQ(now.width, before.width);
    EXPECT_EQ(now.height, before.height);
    EXPECT_EQ(now.undoLevels, before.undoLevels);
    EXPECT_EQ(now.caption, before.caption);
    EXPECT_EQ(now.modified, before.modified);
}

class Files : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        folder_ = MakeTestFolder(L"kolvex_filetest_");
        programOpen_ = g_getOpenFileName;
        programSave_ = g_getSaveFileName;
        g_getOpenFileName = &FakeDialog;
        g_getSaveFileName = &FakeDialog;
        s_answer.clear();
        s_calls = 0;
    }
    void TearDown() override {
        g_getOpenFileName = programOpen_;
        g_getSaveFileName = programSave_;
        g_regCreateKey = &RegCreateKeyExW;
        AppFixture::TearDown();
        // The files saved here joined the recent list; they are about to go.
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kolvex\\RecentFiles");
        RemoveTestFolder(folder_);
    }
    FileDialogFn programOpen_ = nullptr, programSave_ = nullptr;
    std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }
    // A picture with a red pixel at (3, 2) and a green one of alpha 0 at (5, 5) on white, saved as path. The
    // alpha byte means nothing in the picture, so the green must come back green, not transparent.
    void MakeSavedPicture(const std::wstring& path) {
        ASSERT_TRUE(CreateCanvasImage(40, 30, 0u));
        FillPixels(CanvasPixels(), 0xFFFFFFFFu);
        WritePixel(CanvasPixels(), 3, 2, 0xFFFF0000u);
        WritePixel(CanvasPixels(), 5, 5, 0x0000FF00u);
        ASSERT_TRUE(SaveImageFile(path));
    }
    bool NoTempFileLeft() const {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((folder_ + L"\\*.kolvex~").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE) return true;
        FindClose(find);
        return false;
    }

    // The dialog answers with s_answer and the filter in s_filter; an empty answer is a cancel.
    static BOOL WINAPI FakeDialog(LPOPENFILENAMEW ofn) {
        ++s_calls;
        s_shownFile = ofn->lpstrFile;
        s_shownFilter = static_cast<int>(ofn->nFilterIndex);
        if (s_answer.empty()) return FALSE;
        wcsncpy(ofn->lpstrFile, s_answer.c_str(), ofn->nMaxFile);
        if (s_filter) ofn->nFilterIndex = static_cast<DWORD>(s_filter);
        return TRUE;
    }
    static inline std::wstring s_answer;
    static inline int s_filter = 0;
    static inline int s_calls = 0;
    static inline std::wstring s_shownFile;
    static inline int s_shownFilter = 0;
    std::wstring folder_;
};
