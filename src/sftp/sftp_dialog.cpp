#include "sftp/sftp_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "document/document_state.h"
#include "files/file_commands.h"
#include "sftp/sftp_command_core.h"
#include "sftp/sftp_job.h"
#include "sftp/sftp_text_core.h"
#include "shell/dialog_frame.h"
#include "base/status_text.h"
#include "base/text_convert.h"

namespace {

struct SftpDialogState {
    bool open;
};

struct EditField {
    int id;
    size_t maxChars;
};
constexpr EditField kLimitedEdits[] = {{kSftpHostId, kSftpHostMax},         {kSftpPortId, 15},
                                       {kSftpUserId, kSftpUserMax},         {kSftpPasswordId, kSftpPasswordMax},
                                       {kSftpKeyFileId, kSftpKeyPathMax},   {kSftpRemoteDirId, kSftpRemoteDirMax},
                                       {kSftpFileNameId, kSftpFileNameMax}, {kSftpProfileId, kSftpProfileNameMax}};

std::wstring ReadySentence(const SftpTool& tool) {
    if (tool.kind == SftpToolKind::None)
        return L"Warning: No SFTP client found. (Install OpenSSH or put psftp.exe in Kolvex folder)";
    return L"Ready: " + tool.label;
}

void AddServerControls(HWND d) {
    using C = DialogControl;
    AddDialogControl(d, C::GroupBox, L"SSH / SFTP Server Details", 15, 66, 420, 148);
    AddDialogControl(d, C::Label, L"Host:", 25, 88, 45, 18);
    AddDialogControl(d, C::Edit, L"", 75, 86, 235, 22, kSftpHostId);
    AddDialogControl(d, C::Label, L"Port:", 320, 88, 35, 18);
    AddDialogControl(d, C::NumberEdit, L"22", 360, 86, 65, 22, kSftpPortId);
    AddDialogControl(d, C::Label, L"User:", 25, 116, 45, 18);
    AddDialogControl(d, C::Edit, L"", 75, 114, 160, 22, kSftpUserId);
    AddDialogControl(d, C::Label, L"Password:", 25, 144, 65, 18);
    AddDialogControl(d, C::PasswordEdit, L"", 95, 142, 140, 22, kSftpPasswordId);
    AddDialogControl(d, C::CheckBox, L"Save Password", 250, 143, 160, 20, kSftpSavePasswordId);
    AddDialogControl(d, C::Label, L"Key File:", 25, 174, 65, 18);
    AddDialogControl(d, C::Edit, L"", 95, 172, 250, 22, kSftpKeyFileId);
    AddDialogControl(d, C::Button, L"Browse...", 352, 171, 73, 24, kSftpBrowseId);
}

void AddControls(HWND d, const SftpTool& tool) {
    using C = DialogControl;
    AddDialogControl(d, C::GroupBox, L"Server Profile", 15, 8, 420, 52);
    AddDialogControl(d, C::Label, L"Profile:", 25, 29, 45, 18);
    AddDialogControl(d, C::EditableCombo, L"", 75, 26, 210, 160, kSftpProfileId);
    AddDialogControl(d, C::Button, L"&Save", 295, 25, 65, 24, kSftpSaveId);
    AddDialogControl(d, C::Button, L"&Delete", 365, 25, 60, 24, kSftpDeleteId);
    AddServerControls(d);
    AddDialogControl(d, C::GroupBox, L"Remote Destination && Format", 15, 222, 420, 112);
    AddDialogControl(d, C::Label, L"Remote Dir:", 25, 244, 75, 18);
    AddDialogControl(d, C::Edit, L"/var/www/uploads/", 105, 242, 320, 22, kSftpRemoteDirId);
    AddDialogControl(d, C::Label, L"Filename:", 25, 272, 75, 18);
    AddDialogControl(d, C::Edit, L"", 105, 270, 215, 22, kSftpFileNameId);
    AddDialogControl(d, C::Label, L"Format:", 328, 272, 45, 18);
    HWND format = AddDialogControl(d, C::DropDownList, L"", 375, 269, 50, 100, kSftpFormatId);
    for (const wchar_t* name : {L"PNG", L"JPEG", L"BMP"})
        SendMessageW(format, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageW(format, CB_SETCURSEL, 0, 0);
    AddDialogControl(d, C::Label, L"Target directory must exist on the remote host (e.g. /home/user/images/).", 25, 300,
                     400, 20);
    AddDialogControl(d, C::GroupBox, L"SFTP Engine Status", 15, 342, 420, 52);
    AddDialogControl(d, C::Label, ReadySentence(tool).c_str(), 25, 362, 400, 20, kSftpStatusId);
    AddDialogControl(d, C::OkButton, L"&Upload", 130, 405, 95, 28);
    AddDialogControl(d, C::CancelButton, L"Cancel", 235, 405, 95, 28);
    for (const EditField& f : kLimitedEdits)
        SendDlgItemMessageW(d, f.id, f.id == kSftpProfileId ? CB_LIMITTEXT : EM_LIMITTEXT, f.maxChars, 0);
}

void OnProfileChosen(HWND dialog) {
    const LRESULT index = SendDlgItemMessageW(dialog, kSftpProfileId, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= g_sftpProfiles.profiles.size()) return;
    const SftpProfile& p = g_sftpProfiles.profiles[static_cast<size_t>(index)];
    ShowSftpProfile(dialog, p);
    g_sftpProfiles.activeName = p.name;
}

// The profile name of the combo box, or empty after telling the user why it cannot be one.
std::wstring CheckedProfileName(HWND dialog) {
    const std::wstring name = TrimProfileName(DialogItemText(dialog, kSftpProfileId));
    const ProfileNameProblem problem = CheckProfileName(name);
    if (problem == ProfileNameProblem::None) return name;
    SftpMessageBox(dialog, ProfileNameMessage(problem), L"Profile Name Required", MB_OK | MB_ICONWARNING,
                   kSftpProfileId);
    return {};
}

void OnSave(HWND dialog) {
    const std::wstring name = CheckedProfileName(dialog);
    if (name.empty()) return;
    SftpProfile p = ReadSftpProfile(dialog, name);
    const bool stored = SaveSftpProfile(p);
    if (!stored) {
        p.rememberPassword = false;
        CheckDlgButton(dialog, kSftpSavePasswordId, BST_UNCHECKED);
    }
    PutSftpProfile(&g_sftpProfiles, p);
    g_sftpProfiles.activeName = name;
    FillProfileList(dialog, name);
    SetSftpStatus(
        dialog, (stored ? L"Profile '" + name + L"' saved." : L"Profile '" + name + L"' saved without its password."));
}

void OnDelete(HWND dialog) {
    const std::wstring name = TrimProfileName(DialogItemText(dialog, kSftpProfileId));
    if (g_sftpProfiles.profiles.size() <= 1) {
        SftpMessageBox(dialog, L"Cannot delete the only profile.", L"Delete Profile", MB_OK | MB_ICONINFORMATION, 0);
        return;
    }
    const std::wstring question = L"Are you sure you want to delete profile '" + name + L"'?";
    if (SftpMessageBox(dialog, question, L"Confirm Delete", MB_YESNO | MB_ICONQUESTION, 0) != IDYES) return;
    // A name that cannot be a profile's would name some other key.
    if (CheckProfileName(name) == ProfileNameProblem::None) DeleteSftpProfileKey(name);
    RemoveSftpProfile(&g_sftpProfiles, name);
    const SftpProfile first = g_sftpProfiles.profiles.front();
    g_sftpProfiles.activeName = first.name;
    FillProfileList(dialog, first.name);
    ShowSftpProfile(dialog, first);
    SetSftpStatus(dialog, L"Profile '" + name + L"' deleted.");
}

void OnBrowse(HWND dialog) {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter =
        L"SSH Private Keys (*.pem;*.ppk;*.id_rsa;id_*)\0*.pem;*.ppk;*.id_rsa;id_*\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (g_getOpenFileName(&ofn)) SetDlgItemTextW(dialog, kSftpKeyFileId, file);
}

void OnFormatChosen(HWND dialog) {
    SetDlgItemTextW(dialog, kSftpFileNameId,
                    ReplaceUploadExtension(DialogItemText(dialog, kSftpFileNameId), SelectedFormat(dialog)).c_str());
}

void OnCommand(HWND dialog, int id, int code) {
    switch (id) {
    case kSftpProfileId:
        if (code == CBN_SELCHANGE) OnProfileChosen(dialog);
        return;
    case kSftpFormatId:
        if (code == CBN_SELCHANGE) OnFormatChosen(dialog);
        return;
    case kSftpSaveId: OnSave(dialog); return;
    case kSftpDeleteId: OnDelete(dialog); return;
    case kSftpBrowseId: OnBrowse(dialog); return;
    case IDOK: OnSftpUpload(dialog); return;
    case IDCANCEL: CloseDialog(dialog); return;
    default: return;
    }
}

// The active profile; when its name is no profile's, the first becomes active, so that the name shown is the
// profile shown and Upload does not save it under a stale name.
const SftpProfile& ActiveProfile() {
    const SftpProfile* p = FindSftpProfile(&g_sftpProfiles, g_sftpProfiles.activeName);
    if (!p) g_sftpProfiles.activeName = g_sftpProfiles.profiles.front().name;
    return p ? *p : g_sftpProfiles.profiles.front();
}

} // namespace

LRESULT CALLBACK SftpDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: CloseDialog(hwnd); return 0;
    case WM_DESTROY: OnDialogDestroyed(hwnd); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void ShowSftpUploadDialog(HWND owner) {
    LoadSftpProfiles();
    HWND d = CreateDialogWindow(kSftpDialogClass, SftpDialogProc, L"Upload to SFTP Server", 455, 480, owner);
    if (!d) return;
    AddControls(d, DetectSftpTool());
    const SftpProfile& active = ActiveProfile();
    FillProfileList(d, g_sftpProfiles.activeName);
    ShowSftpProfile(d, active);
    SetDlgItemTextW(d, kSftpFileNameId, MakeUploadFileName(active.formatIndex).c_str());
    SubclassSftpEdits(d);
    SftpDialogState state = {};
    RunModalDialog(d, owner, GetDlgItem(d, kSftpFileNameId), state, SftpPreTranslate);
}

void ShowSftpProfile(HWND d, const SftpProfile& p) {
    SetDlgItemTextW(d, kSftpHostId, p.host.c_str());
    SetDlgItemTextW(d, kSftpPortId, std::to_wstring(p.port < 1 ? 22 : p.port).c_str());
    SetDlgItemTextW(d, kSftpUserId, p.username.c_str());
    SetDlgItemTextW(d, kSftpPasswordId, p.password.c_str());
    CheckDlgButton(d, kSftpSavePasswordId, p.rememberPassword ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(d, kSftpKeyFileId, p.keyPath.c_str());
    SetDlgItemTextW(d, kSftpRemoteDirId, p.remoteDir.empty() ? L"/var/www/uploads/" : p.remoteDir.c_str());
    const int format = p.formatIndex >= 0 && p.formatIndex <= 2 ? p.formatIndex : 0;
    SendDlgItemMessageW(d, kSftpFormatId, CB_SETCURSEL, static_cast<WPARAM>(format), 0);
    const std::wstring name = DialogItemText(d, kSftpFileNameId);
    if (!name.empty()) SetDlgItemTextW(d, kSftpFileNameId, ReplaceUploadExtension(name, format).c_str());
}

SftpProfile ReadSftpProfile(HWND d, std::wstring_view name) {
    SftpProfile p;
    p.name = std::wstring(name.substr(0, kSftpProfileNameMax));
    p.host = DialogItemText(d, kSftpHostId).substr(0, kSftpHostMax);
    p.port = ParsePort(DialogItemText(d, kSftpPortId));
    p.username = DialogItemText(d, kSftpUserId).substr(0, kSftpUserMax);
    p.password = DialogItemText(d, kSftpPasswordId).substr(0, kSftpPasswordMax);
    p.keyPath = DialogItemText(d, kSftpKeyFileId).substr(0, kSftpKeyPathMax);
    p.remoteDir = DialogItemText(d, kSftpRemoteDirId).substr(0, kSftpRemoteDirMax);
    p.formatIndex = SelectedFormat(d);
    p.rememberPassword = IsDlgButtonChecked(d, kSftpSavePasswordId) == BST_CHECKED;
    return p;
}

void FillProfileList(HWND d, std::wstring_view name) {
    HWND combo = GetDlgItem(d, kSftpProfileId);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const SftpProfile& p : g_sftpProfiles.profiles)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.name.c_str()));
    const SftpProfile* match = FindSftpProfile(&g_sftpProfiles, name);
    SendMessageW(combo, CB_SETCURSEL, match ? static_cast<WPARAM>(match - g_sftpProfiles.profiles.data()) : 0, 0);
    SetWindowTextW(combo, std::wstring(name).c_str());
}

std::wstring MakeUploadFileName(int formatIndex) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    const LocalTime now = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    return MakeUploadFileNameFrom(Utf8ToWide(g_document.path), now, formatIndex);
}

std::wstring DialogItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = item ? GetWindowTextLengthW(item) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), length + 1)));
    return text;
}

int SelectedFormat(HWND dialog) {
    const LRESULT sel = SendDlgItemMessageW(dialog, kSftpFormatId, CB_GETCURSEL, 0, 0);
    return sel >= 0 && sel <= 2 ? static_cast<int>(sel) : 0;
}

void SetSftpStatus(HWND dialog, const std::wstring& text) { SetDlgItemTextW(dialog, kSftpStatusId, text.c_str()); }

int SftpMessageBox(HWND dialog, const std::wstring& text, const wchar_t* caption, UINT flags, int focusId) {
    const int answer = OwnedMessageBox(dialog, text.c_str(), caption, flags);
    if (focusId && IsWindow(dialog)) SetFocus(GetDlgItem(dialog, focusId));
    return answer;
}
