#include "files/file_commands.h"

#include <shlobj.h>

#include <vector>

#include "base/app_windows.h"
#include "base/loaders.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "base/text_convert.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "files/file_core.h"
#include "files/image_load.h"
#include "files/image_save.h"
#include "shell/command_ids.h"
#include "shell/dialog_frame.h"
#include "toolbox/colors.h"

// The common dialogs come at the first one asked for; without them a dialog is simply cancelled.
static BOOL WINAPI OpenFileDialog(LPOPENFILENAMEW ofn) {
    const auto show = LoadCommonDialogApi().getOpenFileName;
    return show ? show(ofn) : FALSE;
}
static BOOL WINAPI SaveFileDialog(LPOPENFILENAMEW ofn) {
    const auto show = LoadCommonDialogApi().getSaveFileName;
    return show ? show(ofn) : FALSE;
}

FileDialogFn g_getOpenFileName = &OpenFileDialog;
FileDialogFn g_getSaveFileName = &SaveFileDialog;
RegCreateKeyFn g_regCreateKey = &RegCreateKeyExW;
void (*g_settleBeforeSave)() = nullptr;

// Long enough for any path the system allows, so no name is ever cut off or refused as too long.
constexpr size_t kFileBufferChars = 32768;

static std::wstring DocumentPath() { return Utf8ToWide(g_document.path); }

static bool SaveToCurrentPath() {
    const std::wstring path = DocumentPath();
    return !path.empty() && SaveImageFile(path);
}

bool SaveDocument(HWND owner) {
    const std::wstring path = DocumentPath();
    // A name the program cannot write in its own format gets a new one rather than BMP bytes under it.
    if (!path.empty() && CanSaveUnderOwnName(path)) return SaveToCurrentPath();
    return SaveDocumentAs(owner);
}

bool AskToSaveChanges() {
    if (!g_document.modified) return true;
    const int answer =
        OwnedMessageBox(g_app.main, L"Save changes to current picture?", L"Kolvex", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;
    if (g_settleBeforeSave) g_settleBeforeSave();
    return SaveDocument(g_app.main);
}

void NewPicture() {
    if (!AskToSaveChanges()) return;
    CanvasImage surface;
    if (!MakeCanvasSurface(640, 480, &surface)) {
        SetStatusText(kStatusMessage, L"Not enough memory for a new picture.");
        return;
    }
    FillPixels({surface.pixels, surface.width, surface.height}, PixelFromColor(g_colors.background));
    StartDocument(surface, L"");
}

void ReportOpenFailure(const std::wstring& path, const LoadOutcome& outcome) {
    switch (outcome.result) {
    case LoadResult::Loaded: return;
    case LoadResult::RowsMissing:
        // So that nobody saves the cut picture over the file unawares.
        SetStatusText(kStatusMessage, L"The picture file ends early; the missing rows are shown white.");
        return;
    case LoadResult::TooLarge: ReportResizeFailure(ResizeResult::TooLarge, outcome.width, outcome.height); return;
    case LoadResult::NoMemory: ReportResizeFailure(ResizeResult::NoMemory, outcome.width, outcome.height); return;
    case LoadResult::Unreadable: break;
    }
    const std::wstring text = L"Could not open '" + std::wstring(FileNamePart(path)) + L"'.";
    SetStatusText(kStatusMessage, text.c_str());
}

bool OpenPictureFile(const std::wstring& path) {
    LoadOutcome outcome;
    const bool loaded = LoadImageFile(path, &outcome);
    ReportOpenFailure(path, outcome);
    return loaded;
}

bool OpenPictureFileAnsi(const std::string& path) {
    LoadOutcome outcome;
    const bool loaded = LoadImageFileAnsi(path, &outcome);
    ReportOpenFailure(AnsiToWide(path), outcome);
    return loaded;
}

static const wchar_t kOpenFilter[] =
    L"All Picture Files (*.bmp;*.dib;*.png;*.jpg;*.jpeg;*.gif;*.ico;*.tif)\0*.bmp;*.dib;*.png;*.jpg;*.jpeg;*.gif;*.ico;"
    L"*.tif\0Bitmap Files (*.bmp;*.dib)\0*.bmp;*.dib\0All Files (*.*)\0*.*\0";
static const wchar_t kSaveFilter[] = L"24-bit Bitmap (*.bmp)\0*.bmp\0PNG (*.png)\0*.png\0JPEG (*.jpg;*.jpeg)\0*.jpg;"
                                     L"*.jpeg\0GIF (*.gif)\0*.gif\0All Files (*.*)\0*.*\0";

void OpenPicture() {
    if (!AskToSaveChanges()) return;
    std::vector<wchar_t> file(kFileBufferChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_app.main;
    ofn.lpstrFilter = kOpenFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    if (g_getOpenFileName(&ofn)) (void)OpenPictureFile(file.data());
}

bool SaveDocumentAs(HWND owner) {
    std::vector<wchar_t> file(kFileBufferChars, L'\0');
    const std::wstring path = DocumentPath();
    // A name the program cannot write is proposed as a bitmap, under the filter that is preselected for it.
    const std::wstring initial = path.empty() ? L"Untitled.bmp" : ProposedSaveName(path);
    std::copy(initial.begin(), initial.end(), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kSaveFilter;
    ofn.nFilterIndex = static_cast<DWORD>(SaveFilterIndexFor(initial));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    ofn.lpstrDefExt = L"bmp";
    if (!g_getSaveFileName(&ofn)) return false;
    return SaveImageFile(EnsureExtension(file.data(), static_cast<int>(ofn.nFilterIndex), kFileBufferChars - 1));
}

void SetWallpaper(bool tiled) {
    if (g_document.path.empty()) {
        if (g_app.main) SendMessageW(g_app.main, WM_COMMAND, kCmdSave, 0);
        if (g_document.path.empty()) return;
    }
    ScopedRegKey desktop;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, desktop.receive()) ==
        ERROR_SUCCESS) {
        const wchar_t* value = tiled ? L"1" : L"0";
        RegSetValueExW(desktop.get(), L"TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       2 * sizeof(wchar_t));
    }
    std::wstring path = DocumentPath();
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

static std::wstring ModulePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::wstring(buf.data(), n);
        if (buf.size() >= 32768) return {};
        buf.resize(buf.size() * 2);
    }
}

static bool SetCommandKey(const wchar_t* subkey, const std::wstring& command) {
    ScopedRegKey key;
    if (g_regCreateKey(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), bytes) ==
           ERROR_SUCCESS;
}

// Per-user classes: they show under HKEY_CLASSES_ROOT as well and need no administrator.
void RegisterBmpAssociation() {
    const std::wstring exe = ModulePath();
    const std::wstring command = L"\"" + exe + L"\" \"%1\"";
    bool ok = !exe.empty();
    ok = ok && SetCommandKey(L"Software\\Classes\\Applications\\Kolvex.exe\\shell\\open\\command", command);
    ok = ok && SetCommandKey(L"Software\\Classes\\SystemFileAssociations\\image\\shell\\Kolvex\\command", command);
    if (ok) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    if (ok)
        OwnedMessageBox(g_app.main, L"Kolvex has been registered as a handler for Bitmap (.bmp) files!",
                        L"Association Registered", MB_OK | MB_ICONINFORMATION);
    else
        OwnedMessageBox(g_app.main, L"Could not register Kolvex as a handler for Bitmap files.", L"Kolvex",
                        MB_OK | MB_ICONWARNING);
}
