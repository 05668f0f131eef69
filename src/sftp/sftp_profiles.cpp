#include "sftp/sftp_profiles.h"

#include "sftp/sftp_command_core.h"
#include "base/loaders.h"
#include "base/scoped_handles.h"
#include "base/text_convert.h"

SftpProfileList g_sftpProfiles;
// crypt32 comes at the first password saved or read, not at start-up.
static BOOL WINAPI ProtectWithCrypt32(DATA_BLOB* in, LPCWSTR description, DATA_BLOB* entropy, PVOID reserved,
                                      CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
    const auto protect = LoadDataProtectionApi().protectData;
    if (!protect) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return protect(in, description, entropy, reserved, prompt, flags, out);
}

ProtectDataFn g_protectData = ProtectWithCrypt32;

namespace {

constexpr wchar_t kSftpKey[] = L"Software\\Kolvex\\SFTP";
constexpr wchar_t kProfilesKey[] = L"Software\\Kolvex\\SFTP\\Profiles";
// More than any field holds; a larger value is not one of ours and is read as missing.
constexpr DWORD kMaxValueBytes = 64 * 1024;

bool NamesEqual(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool ReadBytes(HKEY key, const wchar_t* name, DWORD wantedType, std::vector<BYTE>* bytes) {
    DWORD type = REG_NONE, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != wantedType ||
        size > kMaxValueBytes)
        return false;
    bytes->assign(size, 0);
    DWORD got = size;
    if (RegQueryValueExW(key, name, nullptr, &type, bytes->data(), &got) != ERROR_SUCCESS || type != wantedType)
        return false;
    bytes->resize(got < size ? got : size);
    return true;
}

// A REG_SZ value up to its first zero and at most maxChars long; the registry does not promise a terminator.
bool ReadText(HKEY key, const wchar_t* name, size_t maxChars, std::wstring* text) {
    std::vector<BYTE> bytes;
    if (!ReadBytes(key, name, REG_SZ, &bytes)) return false;
    std::wstring s(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    s = s.substr(0, s.find(L'\0'));
    *text = s.substr(0, maxChars);
    return true;
}

bool ReadNumber(HKEY key, const wchar_t* name, DWORD* value) {
    std::vector<BYTE> bytes;
    if (!ReadBytes(key, name, REG_DWORD, &bytes) || bytes.size() != sizeof(DWORD)) return false;
    *value = *reinterpret_cast<const DWORD*>(bytes.data());
    return true;
}

void WriteText(HKEY key, const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void WriteNumber(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool Protect(const std::wstring& password, std::vector<BYTE>* blob) {
    std::string utf8 = WideToUtf8(password);
    DATA_BLOB in = {static_cast<DWORD>(utf8.size()), reinterpret_cast<BYTE*>(utf8.data())};
    DATA_BLOB out = {};
    const bool ok = g_protectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out);
    SecureZeroMemory(utf8.data(), utf8.size());
    if (!ok) return false;
    blob->assign(out.pbData, out.pbData + out.cbData);
    LocalFree(out.pbData);
    return true;
}

// The password of a protected value; empty when it cannot be decrypted (another user's, or damaged).
std::wstring Unprotect(std::vector<BYTE> blob) {
    DATA_BLOB in = {static_cast<DWORD>(blob.size()), blob.data()};
    DATA_BLOB out = {};
    const auto unprotect = LoadDataProtectionApi().unprotectData;
    if (!unprotect || !unprotect(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return {};
    std::string utf8(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    std::wstring password = Utf8ToWideStrict(utf8);
    SecureZeroMemory(utf8.data(), utf8.size());
    return password.substr(0, kSftpPasswordMax);
}

// False when remembering was asked and the protection failed; nothing is stored then.
bool WritePassword(HKEY key, const SftpProfile& p) {
    RegDeleteValueW(key, L"Password");
    std::vector<BYTE> blob;
    if (p.rememberPassword && !p.password.empty() && Protect(p.password, &blob)) {
        RegSetValueExW(key, L"ProtectedPassword", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
        return true;
    }
    RegDeleteValueW(key, L"ProtectedPassword");
    return !p.rememberPassword || p.password.empty();
}

bool WriteProfileValues(HKEY key, const SftpProfile& p) {
    WriteText(key, L"Host", p.host);
    WriteNumber(key, L"Port", static_cast<DWORD>(p.port));
    WriteText(key, L"Username", p.username);
    WriteText(key, L"KeyPath", p.keyPath);
    WriteText(key, L"RemoteDir", p.remoteDir);
    WriteNumber(key, L"FormatIndex", static_cast<DWORD>(p.formatIndex));
    const bool stored = WritePassword(key, p);
    WriteNumber(key, L"RememberPassword", p.rememberPassword && stored ? 1 : 0);
    return stored;
}

bool WriteProfileKey(const SftpProfile& p) {
    ScopedRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kProfilesKey) + L"\\" + p.name).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return true; // registry failures are silent
    return WriteProfileValues(key.get(), p);
}

void ReadProfileValues(HKEY key, SftpProfile* p) {
    DWORD n = 0;
    ReadText(key, L"Host", kSftpHostMax, &p->host);
    if (ReadNumber(key, L"Port", &n) && n >= 1 && n <= 65535) p->port = static_cast<int>(n);
    ReadText(key, L"Username", kSftpUserMax, &p->username);
    ReadText(key, L"KeyPath", kSftpKeyPathMax, &p->keyPath);
    ReadText(key, L"RemoteDir", kSftpRemoteDirMax, &p->remoteDir);
    if (ReadNumber(key, L"FormatIndex", &n) && n <= 2) p->formatIndex = static_cast<int>(n);
    if (ReadNumber(key, L"RememberPassword", &n)) p->rememberPassword = n != 0;
}

// The remembered password, and the move of a plain "Password" to the protected form: into the profile's own key,
// or for the old layout into a new Profiles\Default. The plain value is deleted whatever happens.
void ReadPassword(HKEY key, SftpProfile* p, bool oldLayout) {
    std::vector<BYTE> blob;
    const bool protectedValue = ReadBytes(key, L"ProtectedPassword", REG_BINARY, &blob);
    if (p->rememberPassword && protectedValue) p->password = Unprotect(std::move(blob));
    std::wstring plain;
    if (!ReadText(key, L"Password", kSftpPasswordMax, &plain)) return;
    if (p->rememberPassword && !protectedValue) {
        p->password = plain;
        if (oldLayout)
            (void)WriteProfileKey(*p);
        else if (!WritePassword(key, *p))
            WriteNumber(key, L"RememberPassword", 0);
    }
    SecureZeroMemory(plain.data(), plain.size() * sizeof(wchar_t));
    RegDeleteValueW(key, L"Password");
}

// Read access, and write access where it is granted, so that a plain password can be moved.
bool OpenForMigration(HKEY parent, const wchar_t* name, ScopedRegKey* key) {
    return RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_SET_VALUE, key->receive()) == ERROR_SUCCESS ||
           RegOpenKeyExW(parent, name, 0, KEY_READ, key->receive()) == ERROR_SUCCESS;
}

SftpProfile NewProfile(std::wstring name) {
    SftpProfile p;
    p.name = std::move(name);
    return p;
}

void LoadProfileKeys(HKEY sftp) {
    ScopedRegKey profiles;
    if (RegOpenKeyExW(sftp, L"Profiles", 0, KEY_ENUMERATE_SUB_KEYS, profiles.receive()) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kSftpProfileNameMax + 1];
        DWORD length = kSftpProfileNameMax + 1;
        const LSTATUS status = RegEnumKeyExW(profiles.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue; // a name too long for a profile: skipped, the rest still load
        if (status != ERROR_SUCCESS) return;
        ScopedRegKey key;
        if (!OpenForMigration(profiles.get(), name, &key)) continue;
        SftpProfile p = NewProfile(std::wstring(name, length));
        ReadProfileValues(key.get(), &p);
        ReadPassword(key.get(), &p, false);
        g_sftpProfiles.profiles.push_back(std::move(p));
    }
}

void LoadOldLayout(HKEY sftp) {
    SftpProfile p = NewProfile(L"Default");
    ReadProfileValues(sftp, &p);
    if (p.host.empty()) return;
    ReadPassword(sftp, &p, true);
    g_sftpProfiles.profiles.push_back(std::move(p));
}

} // namespace

void LoadSftpProfiles() {
    g_sftpProfiles.profiles.clear();
    ScopedRegKey sftp;
    if (OpenForMigration(HKEY_CURRENT_USER, kSftpKey, &sftp)) {
        std::wstring active;
        if (ReadText(sftp.get(), L"ActiveProfile", kSftpProfileNameMax, &active) && !active.empty())
            g_sftpProfiles.activeName = active;
        LoadProfileKeys(sftp.get());
        if (g_sftpProfiles.profiles.empty()) LoadOldLayout(sftp.get());
    }
    if (!g_sftpProfiles.profiles.empty()) return;
    g_sftpProfiles.profiles.push_back(NewProfile(L"Server A"));
    SftpProfile b = NewProfile(L"Server B");
    b.remoteDir = L"/home/ubuntu/images/";
    g_sftpProfiles.profiles.push_back(std::move(b));
}

bool SaveSftpProfile(const SftpProfile& profile) {
    const bool stored = WriteProfileKey(profile);
    ScopedRegKey sftp;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSftpKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, sftp.receive(), nullptr) ==
        ERROR_SUCCESS)
        WriteText(sftp.get(), L"ActiveProfile", profile.name);
    return stored;
}

void DeleteSftpProfileKey(std::wstring_view name) {
    ScopedRegKey profiles;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProfilesKey, 0, KEY_ALL_ACCESS, profiles.receive()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(profiles.get(), std::wstring(name).c_str());
    RegDeleteKeyW(profiles.get(), std::wstring(name).c_str());
}

SftpProfile* FindSftpProfile(SftpProfileList* list, std::wstring_view name) {
    for (SftpProfile& p : list->profiles)
        if (NamesEqual(p.name, name)) return &p;
    return nullptr;
}

void PutSftpProfile(SftpProfileList* list, const SftpProfile& profile) {
    if (SftpProfile* existing = FindSftpProfile(list, profile.name))
        *existing = profile;
    else
        list->profiles.push_back(profile);
}

bool RemoveSftpProfile(SftpProfileList* list, std::wstring_view name) {
    for (auto it = list->profiles.begin(); it != list->profiles.end(); ++it)
        if (NamesEqual(it->name, name)) {
            list->profiles.erase(it);
            return true;
        }
    return false;
}
