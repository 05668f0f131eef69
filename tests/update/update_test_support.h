// What the update and About window tests share: the update settings in the registry as an administrator sets
// them, a loopback port nothing listens on, the message boxes the check shows, and small file helpers.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace update_test {

inline constexpr wchar_t kUpdateKey[] = L"Software\\Kolvex\\Update";

// Sets a value under HKCU\Software\Kolvex\Update for the object's life and puts the old one back afterwards.
class UpdateSetting {
public:
    UpdateSetting(const wchar_t* name, DWORD type, const void* data, DWORD size) : name_(name) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kUpdateKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        DWORD oldSize = 0;
        if (RegQueryValueExW(key, name, nullptr, &oldType_, nullptr, &oldSize) == ERROR_SUCCESS) {
            old_.resize(oldSize);
            RegQueryValueExW(key, name, nullptr, &oldType_, old_.data(), &oldSize);
            hadOld_ = true;
        }
        if (data)
            RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        else
            RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
    ~UpdateSetting() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kUpdateKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        if (hadOld_)
            RegSetValueExW(key, name_.c_str(), 0, oldType_, old_.data(), static_cast<DWORD>(old_.size()));
        else
            RegDeleteValueW(key, name_.c_str());
        RegCloseKey(key);
    }
    UpdateSetting(const UpdateSetting&) = delete;
    UpdateSetting& operator=(const UpdateSetting&) = delete;

private:
    std::wstring name_;
    bool hadOld_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> old_;
};

inline UpdateSetting ServerSetting(const wchar_t* name, const std::wstring& value) {
    return UpdateSetting(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline std::wstring ReadSetting(const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kUpdateKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return {};
    return buffer;
}

// A loopback port on which nothing listens: bound, then let go.
inline int ClosedLoopbackPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof a;
    int port = 1;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    closesocket(s);
    WSACleanup();
    return port;
}

inline std::wstring LoopbackServer(int port) { return L"http://127.0.0.1:" + std::to_wstring(port); }

// A key of the right form that signs nothing: a check with it contacts the servers but trusts none.
inline std::vector<BYTE> UnusedKeyBlob() {
    std::vector<BYTE> b = {6, 2, 0, 0, 0, 0xA4, 0, 0, 'R', 'S', 'A', '1', 0, 8, 0, 0, 1, 0, 1, 0};
    b.resize(20 + 256, 0xC5);
    return b;
}

// Both servers on closed loopback ports and a key, so that a check fails at once without leaving the machine.
struct ServersDown {
    std::vector<BYTE> key = UnusedKeyBlob();
    UpdateSetting primary = ServerSetting(L"PrimaryServer", LoopbackServer(ClosedLoopbackPort()));
    UpdateSetting secondary = ServerSetting(L"SecondaryServer", LoopbackServer(ClosedLoopbackPort()));
    UpdateSetting publicKey{L"PublicKey", REG_BINARY, key.data(), static_cast<DWORD>(key.size())};
};

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    bool question = false;
};

// Answers the message boxes this thread shows from a timer that runs inside their own loops: Yes/No questions
// with the given answer, every other box with OK. Records each box once.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int questionAnswer = IDNO) {
        Instance() = this;
        answer_ = questionAnswer;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~BoxAnswerer() {
        KillTimer(nullptr, timer_);
        Instance() = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<SeenBox>& seen() const { return seen_; }
    void set_answer(int answer) { answer_ = answer; }
    // Pumps until count boxes were seen, or the deadline passes.
    bool WaitFor(size_t count, std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) {
        return PumpUntil([&] { return seen_.size() >= count; }, timeout);
    }

private:
    static BoxAnswerer*& Instance() {
        static BoxAnswerer* instance = nullptr;
        return instance;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxAnswerer* self = Instance();
        HWND box = FindThreadDialog();
        if (!self || !box || box == self->last_) return;
        self->last_ = box;
        SeenBox seen;
        wchar_t caption[256] = {};
        GetWindowTextW(box, caption, 256);
        seen.caption = caption;
        seen.text = DialogStaticText(box);
        seen.owner = GetWindow(box, GW_OWNER);
        seen.question = GetDlgItem(box, IDYES) != nullptr;
        self->seen_.push_back(seen);
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(seen.question ? self->answer_ : IDOK), 0);
    }

    UINT_PTR timer_ = 0;
    int answer_;
    HWND last_ = nullptr;
    std::vector<SeenBox> seen_;
};

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

} // namespace update_test
