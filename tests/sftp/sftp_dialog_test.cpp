// The upload dialog driven with real messages through its own loop: the first opening, profiles saved and
// deleted, names and ports, the edit keys, registry values of the wrong shape, stored passwords, and the
// refusals of Upload that leave everything as it was.
#include <windows.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "sftp/sftp_fixture.h"
#include "files/file_commands.h"
#include "base/status_text.h"

namespace {

using namespace sftp_test;

using SftpDialog = SftpFixture;

// Sets the thread's key state as a held Ctrl (with AltGr: Ctrl and Alt) would, for the keys posted after it.
void HoldCtrl(bool down, bool altGr = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = down ? 0x80 : 0;
    state[VK_MENU] = state[VK_RMENU] = down && altGr ? 0x80 : 0;
    SetKeyboardState(state);
}

LPARAM KeyData(UINT vk) { return 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16; }

// A Ctrl+key press posted to the window with the keyboard focus, as the system queues typed keys. physical is the
// key whose scan code the message carries, when it differs from vk (the input method's processing key).
Step CtrlKey(int id, UINT vk, bool altGr = false, UINT physical = 0) {
    return Do([id, vk, altGr, physical](HWND d) {
        HWND target = GetDlgItem(d, id);
        if (id == kSftpProfileId) {
            COMBOBOXINFO info = {};
            info.cbSize = sizeof info;
            GetComboBoxInfo(target, &info);
            target = info.hwndItem;
        }
        SetFocus(target);
        HoldCtrl(true, altGr);
        const LPARAM data = KeyData(physical ? physical : vk);
        PostMessageW(target, WM_KEYDOWN, vk, data);
        PostMessageW(target, WM_KEYUP, vk, data | 0xC0000000);
    });
}

void PutClipboardText(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(g_app.main));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(h);
    SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
}

TEST_F(SftpDialog, FirstOpeningShowsServerAAndUploadSavesIt) {
    InstallInProgramFolder(L"psftp.exe");
    std::vector<std::wstring> profiles, status;
    std::wstring caption, port, dir, file;
    HWND focus = nullptr, fileEdit = nullptr;
    RECT rect = {};
    bool mainEnabled = true;
    BoxSeen box;
    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) {
            fileEdit = GetDlgItem(d, kSftpFileNameId);
            caption = WholeText(d);
            GetWindowRect(d, &rect);
            profiles = ComboItems(d, kSftpProfileId);
            status = {ItemText(d, kSftpProfileId), ItemText(d, kSftpStatusId)};
            port = ItemText(d, kSftpPortId);
            dir = ItemText(d, kSftpRemoteDirId);
            file = ItemText(d, kSftpFileNameId);
            focus = GetFocus();
            mainEnabled = IsWindowEnabled(g_app.main);
        }),
        SetText(kSftpHostId, L"example.org"),
        SetText(kSftpUserId, L"ann"),
        Click(IDOK),
        Answer(IDOK, &box),
    }));
    EXPECT_EQ(caption, L"Upload to SFTP Server");
    EXPECT_EQ(rect.right - rect.left, 455);
    EXPECT_EQ(rect.bottom - rect.top, 480);
    EXPECT_EQ(profiles, (std::vector<std::wstring>{L"Server A", L"Server B"}));
    EXPECT_EQ(status[0], L"Server A");
    EXPECT_EQ(status[1], L"Ready: PuTTY psftp.exe (Local Folder)");
    EXPECT_EQ(port, L"22");
    EXPECT_EQ(dir, L"/var/www/uploads/");
    EXPECT_TRUE(std::regex_match(file, std::wregex(L"kolvex_20[0-9]{6}_[0-9]{6}\\.png"))) << Narrow(file);
    EXPECT_EQ(focus, fileEdit);
    EXPECT_FALSE(mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(g_app.main));

    EXPECT_EQ(box.caption, L"SFTP Upload Success");
    EXPECT_EQ(ProfileText(L"", L"ActiveProfile"), L"Server A");
    EXPECT_EQ(ProfileText(L"Server A", L"Host"), L"example.org");
    EXPECT_EQ(ProfileText(L"Server A", L"Username"), L"ann");
    EXPECT_EQ(ProfileNumber(L"Server A", L"Port"), 22);
    ASSERT_EQ(Uploads().size(), 1u);
    EXPECT_EQ(Uploads()[0].Args().back(), L"example.org");
    EXPECT_TRUE(SftpTempFiles().empty());
}

TEST_F(SftpDialog, WithoutAClientTheStatusWarnsAndUploadSaysHowToGetOne) {
    std::wstring status;
    BoxSeen box;
    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) { status = ItemText(d, kSftpStatusId); }),
        SetText(kSftpHostId, L"example.org"),
        SetText(kSftpUserId, L"ann"),
        Click(IDOK),
        Answer(IDOK, &box),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(status, L"Warning: No SFTP client found. (Install OpenSSH or put psftp.exe in Kolvex folder)");
    EXPECT_EQ(box.caption, L"SFTP Tool Not Found");
    EXPECT_EQ(box.text.substr(0, 41), L"No SFTP tool was detected on this system.");
    EXPECT_EQ(ProfileText(L"Server A", L"Host"), L"<missing>") << "a refused upload saves nothing";
}

BOOL WINAPI ChooseKeyFile(LPOPENFILENAMEW ofn) {
    wcscpy_s(ofn->lpstrFile, ofn->nMaxFile, L"C:\\keys\\id_test.ppk");
    return (ofn->Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) == (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST) &&
           std::wstring(ofn->lpstrFilter) == L"SSH Private Keys (*.pem;*.ppk;*.id_rsa;id_*)";
}

TEST_F(SftpDialog, UploadAsksForHostAndUserAndRefusesAFieldTooLong) {
    InstallInProgramFolder(L"psftp.exe");
    const FileDialogFn saved = g_getOpenFileName;
    g_getOpenFileName = ChooseKeyFile;
    BoxSeen noHost, noUser, tooLong;
    HWND focus[3] = {}, expected[3] = {};
    std::wstring jpeg, key;
    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) {
            expected[0] = expected[2] = GetDlgItem(d, kSftpHostId);
            expected[1] = GetDlgItem(d, kSftpUserId);
            SetDlgItemTextW(d, kSftpFileNameId, L"trip.final.png");
            SendDlgItemMessageW(d, kSftpFormatId, CB_SETCURSEL, 1, 0);
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(kSftpFormatId, CBN_SELCHANGE), 0);
            jpeg = ItemText(d, kSftpFileNameId);
        }),
        Click(kSftpBrowseId),
        Do([&](HWND d) { key = ItemText(d, kSftpKeyFileId); }),
        Click(IDOK),
        Answer(IDOK, &noHost),
        Do([&](HWND d) {
            focus[0] = GetFocus();
            SetDlgItemTextW(d, kSftpHostId, L"example.org");
        }),
        Click(IDOK),
        Answer(IDOK, &noUser),
        Do([&](HWND d) {
            focus[1] = GetFocus();
            SetDlgItemTextW(d, kSftpUserId, L"ann");
            SetDlgItemTextW(d, kSftpHostId, std::wstring(128, L'h').c_str()); // past the typing limit
        }),
        Click(IDOK),
        Answer(IDOK, &tooLong),
        Do([&](HWND) { focus[2] = GetFocus(); }),
        Click(IDCANCEL),
    }));
    g_getOpenFileName = saved;
    EXPECT_EQ(jpeg, L"trip.final.jpg");
    EXPECT_EQ(key, L"C:\\keys\\id_test.ppk");
    EXPECT_EQ(noHost.caption + L"|" + noHost.text, L"Input Required|Please enter the SFTP host address.");
    EXPECT_EQ(noUser.caption + L"|" + noUser.text, L"Input Required|Please enter the username.");
    EXPECT_EQ(tooLong.caption + L"|" + tooLong.text, L"Input Required|Upload settings are too long.");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(focus[i], expected[i]) << i;
    EXPECT_EQ(ProfileText(L"Server A", L"Host"), L"<missing>");
    EXPECT_TRUE(SftpTempFiles().empty());
    EXPECT_TRUE(Uploads().empty());
}

TEST_F(SftpDialog, SaveTrimsAndOverwritesAndDeleteAsksAndKeepsTheLastOne) {
    std::vector<std::wstring> afterSave, afterOverwrite, afterDelete;
    std::wstring savedStatus, deletedStatus, shownHost;
    BoxSeen confirm, only;
    ASSERT_TRUE(DriveSftpDialog({
        SetText(kSftpProfileId, L" \tWeb \t"),
        SetText(kSftpHostId, L"web.example.org"),
        SetText(kSftpPortId, L"70000"),
        Click(kSftpSaveId),
        Do([&](HWND d) {
            afterSave = ComboItems(d, kSftpProfileId);
            savedStatus = ItemText(d, kSftpStatusId);
        }),
        SetText(kSftpProfileId, L"WEB"),
        SetText(kSftpPortId, L"2222"),
        Click(kSftpSaveId),
        Do([&](HWND d) { afterOverwrite = ComboItems(d, kSftpProfileId); }),
        Click(kSftpDeleteId),
        Answer(IDYES, &confirm),
        Do([&](HWND d) {
            afterDelete = ComboItems(d, kSftpProfileId);
            deletedStatus = ItemText(d, kSftpStatusId);
            shownHost = ItemText(d, kSftpHostId);
        }),
        Click(kSftpDeleteId),
        Answer(IDYES, &confirm),
        Click(kSftpDeleteId),
        Answer(IDOK, &only),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(afterSave, (std::vector<std::wstring>{L"Server A", L"Server B", L"Web"}));
    EXPECT_EQ(savedStatus, L"Profile 'Web' saved.");
    EXPECT_EQ(afterOverwrite, (std::vector<std::wstring>{L"Server A", L"Server B", L"WEB"}));
    EXPECT_EQ(confirm.caption, L"Confirm Delete");
    EXPECT_EQ(afterDelete, (std::vector<std::wstring>{L"Server A", L"Server B"}));
    EXPECT_EQ(deletedStatus, L"Profile 'WEB' deleted.");
    EXPECT_EQ(shownHost, L"");
    EXPECT_EQ(only.caption, L"Delete Profile");
    EXPECT_EQ(only.text, L"Cannot delete the only profile.");
    EXPECT_EQ(ProfileText(L"Web", L"Host"), L"<missing>");
    EXPECT_EQ(ProfileText(L"", L"ActiveProfile"), L"WEB");
}

TEST_F(SftpDialog, PortsOutsideTheRangeAreSavedAs22) {
    const wchar_t* const ports[] = {L"70000", L"0", L"", L"2222"};
    std::vector<Step> steps;
    for (size_t i = 0; i < std::size(ports); ++i) {
        steps.push_back(SetText(kSftpProfileId, L"P" + std::to_wstring(i)));
        steps.push_back(SetText(kSftpPortId, ports[i]));
        steps.push_back(Click(kSftpSaveId));
    }
    steps.push_back(Click(IDCANCEL));
    ASSERT_TRUE(DriveSftpDialog(steps));
    EXPECT_EQ(ProfileNumber(L"P0", L"Port"), 22);
    EXPECT_EQ(ProfileNumber(L"P1", L"Port"), 22);
    EXPECT_EQ(ProfileNumber(L"P2", L"Port"), 22);
    EXPECT_EQ(ProfileNumber(L"P3", L"Port"), 2222);
}

TEST_F(SftpDialog, NamesThatCannotBeProfilesAreRefusedAtSaveAndUpload) {
    InstallInProgramFolder(L"sftp.exe");
    const std::wstring names[] = {L"a\\b", std::wstring(64, L'n')};
    const std::wstring texts[] = {L"Profile names cannot contain \\.",
                                  L"Profile names can have at most 63 characters."};
    for (size_t i = 0; i < 2; ++i) {
        BoxSeen atSave, atUpload;
        HWND focusAfterSave = nullptr, focusAfterUpload = nullptr, combo = nullptr;
        ASSERT_TRUE(DriveSftpDialog({
            Do([&](HWND d) {
                COMBOBOXINFO info = {};
                info.cbSize = sizeof info;
                GetComboBoxInfo(GetDlgItem(d, kSftpProfileId), &info);
                combo = info.hwndItem;
            }),
            SetText(kSftpProfileId, names[i]),
            SetText(kSftpHostId, L"example.org"),
            SetText(kSftpUserId, L"ann"),
            Click(kSftpSaveId),
            Answer(IDOK, &atSave),
            Do([&](HWND) { focusAfterSave = GetFocus(); }),
            Click(IDOK),
            Answer(IDOK, &atUpload),
            Do([&](HWND) { focusAfterUpload = GetFocus(); }),
            Click(IDCANCEL),
        }));
        for (const BoxSeen* box : {&atSave, &atUpload}) {
            EXPECT_EQ(box->caption, L"Profile Name Required");
            EXPECT_EQ(box->text, texts[i]);
        }
        EXPECT_EQ(focusAfterSave, combo);
        EXPECT_EQ(focusAfterUpload, combo);
        HKEY key;
        EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kSftpKey, 0, KEY_READ, &key), ERROR_SUCCESS) << "nothing saved";
        EXPECT_TRUE(SftpTempFiles().empty()) << "nothing rendered";
        EXPECT_TRUE(Uploads().empty());
    }
}

TEST_F(SftpDialog, UnusableFieldsAreRefusedByNameBeforeAnythingIsSavedOrRendered) {
    InstallInProgramFolder(L"sftp.exe");
    // From the registry, where a line break is possible.
    SetRegText(ProfileKey(L"Evil"), L"Host", L"example.org");
    SetRegText(ProfileKey(L"Evil"), L"Username", L"ann");
    SetRegText(ProfileKey(L"Evil"), L"RemoteDir", L"x\n!touch marker");
    SetRegText(kSftpKey, L"ActiveProfile", L"Evil");
    struct Case {
        int id;
        std::wstring value;
        const wchar_t* text;
    } cases[] = {
        {0, L"", L"The Remote Dir field contains characters that cannot be used for an upload."},
        {kSftpUserId, L"-oProxyCommand=touch marker",
         L"The User field contains characters that cannot be used for an upload."},
        {kSftpHostId, L"host name", L"The Host field contains characters that cannot be used for an upload."},
        {kSftpFileNameId, L"$(touch marker).png",
         L"The Filename field contains characters that cannot be used for an upload."},
    };
    for (const Case& c : cases) {
        BoxSeen box;
        HWND focus = nullptr, expected = nullptr;
        ASSERT_TRUE(DriveSftpDialog({
            Do([&](HWND d) {
                if (c.id) SetDlgItemTextW(d, kSftpRemoteDirId, L"/srv/ok");
                if (c.id) SetDlgItemTextW(d, c.id, c.value.c_str());
                SetDlgItemTextW(d, kSftpProfileId, L"New");
                expected = GetDlgItem(d, c.id ? c.id : kSftpRemoteDirId);
            }),
            Click(IDOK),
            Answer(IDOK, &box),
            Do([&](HWND) { focus = GetFocus(); }),
            Click(IDCANCEL),
        }));
        EXPECT_EQ(box.caption, L"Input Required");
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(focus, expected) << Narrow(c.text);
        EXPECT_EQ(ProfileText(L"New", L"Host"), L"<missing>") << "nothing saved";
        EXPECT_EQ(ProfileText(L"", L"ActiveProfile"), L"Evil");
        EXPECT_TRUE(SftpTempFiles().empty()) << "nothing rendered";
        EXPECT_TRUE(Uploads().empty()) << "no client started";
    }
}

TEST_F(SftpDialog, CtrlKeysActOnceThroughTheDialogsLoop) {
    PutClipboardText(L"XY");
    std::wstring pasted, undone, altGr, korean, oneWord, twoWords, comboWord, selectedAll;
    auto read = [](int id, std::wstring* into) {
        return Do([id, into](HWND d) {
            HoldCtrl(false);
            *into = ItemText(d, id);
        });
    };
    ASSERT_TRUE(DriveSftpDialog({
        Do([](HWND d) {
            HWND host = GetDlgItem(d, kSftpHostId);
            SetWindowTextW(host, L"abc");
            SendMessageW(host, EM_SETSEL, 3, 3);
            SendMessageW(host, EM_EMPTYUNDOBUFFER, 0, 0);
        }),
        CtrlKey(kSftpHostId, 'V'),
        read(kSftpHostId, &pasted),
        CtrlKey(kSftpHostId, 'Z'),
        read(kSftpHostId, &undone),
        CtrlKey(kSftpHostId, 'V', true),
        read(kSftpHostId, &altGr),
        CtrlKey(kSftpHostId, VK_PROCESSKEY, false, 'V'),
        read(kSftpHostId, &korean),
        Do([](HWND d) { SendDlgItemMessageW(d, kSftpRemoteDirId, EM_SETSEL, 17, 17); }),
        CtrlKey(kSftpRemoteDirId, VK_BACK),
        read(kSftpRemoteDirId, &oneWord),
        CtrlKey(kSftpRemoteDirId, VK_BACK),
        read(kSftpRemoteDirId, &twoWords),
        Do([](HWND d) { SetDlgItemTextW(d, kSftpProfileId, L"Server A.old"); }),
        Do([](HWND d) {
            COMBOBOXINFO info = {};
            info.cbSize = sizeof info;
            GetComboBoxInfo(GetDlgItem(d, kSftpProfileId), &info);
            SendMessageW(info.hwndItem, EM_SETSEL, 12, 12);
        }),
        CtrlKey(kSftpProfileId, VK_BACK),
        read(kSftpProfileId, &comboWord),
        Do([](HWND d) {
            SetDlgItemTextW(d, kSftpUserId, L"typed");
            SendDlgItemMessageW(d, kSftpUserId, EM_SETSEL, 2, 2);
        }),
        CtrlKey(kSftpUserId, 'A'),
        Do([&](HWND d) {
            HoldCtrl(false);
            DWORD start = 0, end = 0;
            SendDlgItemMessageW(d, kSftpUserId, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                reinterpret_cast<LPARAM>(&end));
            selectedAll = std::to_wstring(start) + L"-" + std::to_wstring(end);
        }),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(pasted, L"abcXY") << "one Ctrl+V pastes once";
    EXPECT_EQ(undone, L"abc") << "one Ctrl+Z undoes once";
    EXPECT_EQ(altGr, L"abc") << "AltGr+V is a character key, not paste";
    EXPECT_EQ(korean, L"abcXY") << "Ctrl+V under a Korean input method";
    EXPECT_EQ(oneWord, L"/var/www/");
    EXPECT_EQ(twoWords, L"/var/");
    EXPECT_EQ(comboWord, L"Server A.");
    EXPECT_EQ(selectedAll, L"0-5");
}

TEST_F(SftpDialog, RegistryValuesOfTheWrongShapeAreReadSafely) {
    // Created first, so that it also comes first where the registry keeps creation order.
    const std::wstring tooLong(70, L'L');
    SetRegText(ProfileKey(tooLong), L"Host", L"lost.example.org");
    const std::wstring unterminated(128, L'h');
    SetRegValue(ProfileKey(L"Odd"), L"Host", REG_SZ, unterminated.data(), 128 * sizeof(wchar_t));
    SetRegText(ProfileKey(L"Odd"), L"Port", L"2222");
    SetRegNumber(ProfileKey(L"Odd"), L"FormatIndex", 7);
    SetRegNumber(ProfileKey(L"Odd"), L"Username", 5);
    SetRegText(ProfileKey(L"Valid"), L"Host", L"valid.example.org");
    SetRegNumber(ProfileKey(L"Valid"), L"Port", 2200);
    SetRegNumber(ProfileKey(L"Valid"), L"FormatIndex", 2);
    SetRegText(kSftpKey, L"ActiveProfile", L"odd");
    std::wstring host, port, user, file, validHost, validFile;
    LRESULT format = -1;
    std::vector<std::wstring> profiles;
    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) {
            profiles = ComboItems(d, kSftpProfileId);
            host = ItemText(d, kSftpHostId);
            port = ItemText(d, kSftpPortId);
            user = ItemText(d, kSftpUserId);
            file = ItemText(d, kSftpFileNameId);
            format = SendDlgItemMessageW(d, kSftpFormatId, CB_GETCURSEL, 0, 0);
            SendDlgItemMessageW(d, kSftpProfileId, CB_SETCURSEL, 1, 0);
            PostMessageW(d, WM_COMMAND, MAKEWPARAM(kSftpProfileId, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(d, kSftpProfileId)));
        }),
        Do([&](HWND d) {
            validHost = ItemText(d, kSftpHostId);
            validFile = ItemText(d, kSftpFileNameId);
        }),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(profiles, (std::vector<std::wstring>{L"Odd", L"Valid"}));
    EXPECT_EQ(host, std::wstring(127, L'h'));
    EXPECT_EQ(port, L"22");
    EXPECT_EQ(user, L"");
    EXPECT_EQ(format, 0);
    EXPECT_EQ(file.substr(file.size() - 4), L".png");
    EXPECT_EQ(validHost, L"valid.example.org");
    EXPECT_EQ(validFile.substr(validFile.size() - 4), L".bmp");
}

// Every value of a profile's key: the password must not be in any of them, in either encoding.
bool RegistryHolds(const std::wstring& profile, const std::string& needle) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (profile.empty() ? std::wstring(kSftpKey) : ProfileKey(profile)).c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const std::wstring wide(needle.begin(), needle.end());
    const std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    bool found = false;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 4096;
        std::string data(size, '\0');
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            break;
        data.resize(size);
        found = found || data.find(needle) != std::string::npos || data.find(utf16) != std::string::npos;
    }
    RegCloseKey(key);
    return found;
}

TEST_F(SftpDialog, ASavedPasswordIsStoredOnlyProtectedAndComesBack) {
    std::wstring shown;
    bool checked = false;
    ASSERT_TRUE(DriveSftpDialog({
        SetText(kSftpProfileId, L"Vault"),
        SetText(kSftpPasswordId, L"s3cret-Pw"),
        Do([](HWND d) { CheckDlgButton(d, kSftpSavePasswordId, BST_CHECKED); }),
        Click(kSftpSaveId),
        Click(IDCANCEL),
    }));
    DWORD type = 0;
    std::vector<BYTE> blob;
    ASSERT_TRUE(ProfileValue(L"Vault", L"ProtectedPassword", &type, &blob));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_FALSE(ProfileValue(L"Vault", L"Password", &type, &blob));
    EXPECT_FALSE(RegistryHolds(L"Vault", "s3cret-Pw"));
    EXPECT_EQ(ProfileNumber(L"Vault", L"RememberPassword"), 1);

    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) {
            shown = ItemText(d, kSftpPasswordId);
            checked = IsDlgButtonChecked(d, kSftpSavePasswordId) == BST_CHECKED;
            CheckDlgButton(d, kSftpSavePasswordId, BST_UNCHECKED);
        }),
        Click(kSftpSaveId),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(shown, L"s3cret-Pw");
    EXPECT_TRUE(checked);
    EXPECT_FALSE(ProfileValue(L"Vault", L"ProtectedPassword", &type, &blob)) << "Save Password off keeps none";
    EXPECT_EQ(ProfileNumber(L"Vault", L"RememberPassword"), 0);
}

TEST_F(SftpDialog, PlainPasswordsAreMovedToTheProtectedFormOrDeleted) {
    SetRegText(ProfileKey(L"Keep"), L"Password", L"plain-keep");
    SetRegNumber(ProfileKey(L"Keep"), L"RememberPassword", 1);
    SetRegText(ProfileKey(L"Drop"), L"Password", L"plain-drop");
    SetRegNumber(ProfileKey(L"Drop"), L"RememberPassword", 0);
    const BYTE garbage[] = {1, 2, 3, 4, 5, 6, 7, 8};
    SetRegValue(ProfileKey(L"Broken"), L"ProtectedPassword", REG_BINARY, garbage, sizeof garbage);
    SetRegNumber(ProfileKey(L"Broken"), L"RememberPassword", 1);
    SetRegText(kSftpKey, L"ActiveProfile", L"Keep");
    std::vector<std::wstring> shown;
    auto showAndRead = [&](int index) {
        return Do([&shown, index](HWND d) {
            SendDlgItemMessageW(d, kSftpProfileId, CB_SETCURSEL, index, 0);
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(kSftpProfileId, CBN_SELCHANGE), 0);
            shown.push_back(ItemText(d, kSftpProfileId) + L"=" + ItemText(d, kSftpPasswordId));
        });
    };
    std::vector<std::wstring> names;
    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) { names = ComboItems(d, kSftpProfileId); }),
        showAndRead(0),
        showAndRead(1),
        showAndRead(2),
        Click(IDCANCEL),
    }));
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Broken=", L"Drop=", L"Keep=plain-keep"}));
    DWORD type = 0;
    std::vector<BYTE> data;
    for (const wchar_t* p : {L"Keep", L"Drop", L"Broken"})
        EXPECT_FALSE(ProfileValue(p, L"Password", &type, &data)) << Narrow(p);
    EXPECT_TRUE(ProfileValue(L"Keep", L"ProtectedPassword", &type, &data));
    EXPECT_FALSE(RegistryHolds(L"Keep", "plain-keep"));
    EXPECT_FALSE(ProfileValue(L"Drop", L"ProtectedPassword", &type, &data));

    // The old single-profile layout moves into a new Profiles\Default.
    RegDeleteTreeW(HKEY_CURRENT_USER, kSftpKey);
    SetRegText(kSftpKey, L"Host", L"old.example.org");
    SetRegText(kSftpKey, L"Password", L"plain-old");
    SetRegNumber(kSftpKey, L"RememberPassword", 1);
    std::wstring oldShown;
    ASSERT_TRUE(DriveSftpDialog({
        Do([&](HWND d) { oldShown = ItemText(d, kSftpProfileId) + L"=" + ItemText(d, kSftpPasswordId); }),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(oldShown, L"Default=plain-old");
    EXPECT_FALSE(ProfileValue(L"", L"Password", &type, &data));
    EXPECT_TRUE(ProfileValue(L"Default", L"ProtectedPassword", &type, &data));
    EXPECT_EQ(ProfileText(L"Default", L"Host"), L"old.example.org");
    EXPECT_FALSE(RegistryHolds(L"", "plain-old"));
    EXPECT_FALSE(RegistryHolds(L"Default", "plain-old"));
}

BOOL WINAPI RefuseProtection(DATA_BLOB*, LPCWSTR, DATA_BLOB*, PVOID, CRYPTPROTECT_PROMPTSTRUCT*, DWORD, DATA_BLOB*) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(SftpDialog, APasswordThatCannotBeProtectedIsNotStoredAndTheUserIsTold) {
    g_protectData = RefuseProtection;
    std::wstring status;
    bool checked = true;
    ASSERT_TRUE(DriveSftpDialog({
        SetText(kSftpProfileId, L"Vault"),
        SetText(kSftpPasswordId, L"s3cret-Pw"),
        Do([](HWND d) { CheckDlgButton(d, kSftpSavePasswordId, BST_CHECKED); }),
        Click(kSftpSaveId),
        Do([&](HWND d) {
            status = ItemText(d, kSftpStatusId);
            checked = IsDlgButtonChecked(d, kSftpSavePasswordId) == BST_CHECKED;
        }),
        Click(IDCANCEL),
    }));
    EXPECT_EQ(status, L"Profile 'Vault' saved without its password.");
    EXPECT_FALSE(checked);
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(ProfileValue(L"Vault", L"ProtectedPassword", &type, &data));
    EXPECT_FALSE(ProfileValue(L"Vault", L"Password", &type, &data));
    EXPECT_EQ(ProfileNumber(L"Vault", L"RememberPassword"), 0);
    EXPECT_FALSE(RegistryHolds(L"Vault", "s3cret-Pw"));
}

} // namespace
