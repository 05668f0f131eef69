// Named SFTP server profiles, kept under HKCU\Software\Kolvex\SFTP\Profiles, one subkey each; a remembered
// password is stored only as "ProtectedPassword", encrypted for the user by DPAPI. UI thread only.
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <string_view>
#include <vector>

struct SftpProfile {
    std::wstring name; // also the subkey name; compared without case
    std::wstring host;
    int port = 22;
    std::wstring username;
    std::wstring password;
    std::wstring keyPath;
    std::wstring remoteDir = L"/var/www/uploads/";
    int formatIndex = 0; // 0 PNG, 1 JPEG, 2 BMP
    bool rememberPassword = false;
};

struct SftpProfileList {
    std::vector<SftpProfile> profiles;
    std::wstring activeName = L"Server A";
};
// Rebuilt from the registry at every opening of the upload dialog; lives for the run. UI thread only.
extern SftpProfileList g_sftpProfiles;

// The subkeys of Profiles, else the old single profile directly under SFTP as "Default", else "Server A" and
// "Server B". Plain "Password" values found on the way are moved to the protected form or deleted.
void LoadSftpProfiles();
// Writes the profile's values and makes it "ActiveProfile". False when the password was to be remembered but
// could not be protected: then none is stored and RememberPassword is written as 0.
[[nodiscard]] bool SaveSftpProfile(const SftpProfile& profile);
void DeleteSftpProfileKey(std::wstring_view name);

// The first profile whose name equals name without case, or null.
SftpProfile* FindSftpProfile(SftpProfileList* list, std::wstring_view name);
// Replaces the first profile of that name or appends it.
void PutSftpProfile(SftpProfileList* list, const SftpProfile& profile);
// Removes the first profile of that name; false when there is none.
bool RemoveSftpProfile(SftpProfileList* list, std::wstring_view name);

// The protection call; tests put one in front that fails.
using ProtectDataFn = decltype(&CryptProtectData);
extern ProtectDataFn g_protectData;
