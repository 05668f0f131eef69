#include "update/update_settings.h"

#include <windows.h>

#include <string>

#include "base/scoped_handles.h"
#include "update_defaults.h"

namespace {

constexpr wchar_t kUpdateKey[] = L"Software\\Kolvex\\Update";
// Far more than any server setting or RSA key blob needs.
constexpr DWORD kMaxValueBytes = 4096;

bool ReadValue(HKEY key, const wchar_t* name, DWORD wantedType, std::vector<uint8_t>* bytes) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != wantedType ||
        size == 0 || size > kMaxValueBytes)
        return false;
    bytes->assign(size, 0);
    if (RegQueryValueExW(key, name, nullptr, &type, bytes->data(), &size) != ERROR_SUCCESS || type != wantedType)
        return false;
    bytes->resize(size);
    return true;
}

// A REG_SZ holding only ASCII, as a server setting must.
bool ReadAsciiValue(HKEY key, const wchar_t* name, std::string* text) {
    std::vector<uint8_t> bytes;
    if (!ReadValue(key, name, REG_SZ, &bytes)) return false;
    text->clear();
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        if (c > 0x7F) return false;
        text->push_back(static_cast<char>(c));
    }
    return true;
}

ServerAddress ServerSetting(HKEY key, const wchar_t* name, const char* builtIn) {
    std::string text;
    if (key && ReadAsciiValue(key, name, &text))
        if (std::optional<ServerAddress> a = ParseServerSetting(text)) return *a;
    // CMake refuses a malformed default, so this parses; an empty host would reach no one.
    return ParseServerSetting(builtIn).value_or(ServerAddress{});
}

} // namespace

UpdateSettings ReadUpdateSettings() {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUpdateKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS)
        *key.receive() = nullptr;
    UpdateSettings s;
    s.primary = ServerSetting(key.get(), L"PrimaryServer", kBuiltInPrimaryServer);
    s.secondary = ServerSetting(key.get(), L"SecondaryServer", kBuiltInSecondaryServer);
    if constexpr (kBuiltInPublicKeySize > 0) {
        s.publicKey.assign(kBuiltInPublicKey, kBuiltInPublicKey + kBuiltInPublicKeySize);
    } else if (key.get()) {
        (void)ReadValue(key.get(), L"PublicKey", REG_BINARY, &s.publicKey);
    }
    if (!PublicKeyModulusBytes(s.publicKey)) s.publicKey.clear();
    return s;
}
