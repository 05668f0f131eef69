// The update check against the scripted servers of tests/update/update_server.py. These tests run only from
// tests/e2e/update_server_test.sh, which signs with a throwaway key, starts both servers and points
// HKCU\Software\Kolvex\Update at them. No download here is ever valid: a replacement would act on this program.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "support/app_fixture.h"
#include "update/update_core.h"
#include "update/update_test_support.h"
#include "update/update_window.h"

using namespace update_test;

namespace {

constexpr char kVersionPath[] = "/downloads/retro/kolvex/version.json";
constexpr char kLatestPath[] = "/downloads/retro/kolvex/latest";
constexpr char kSetupLatestPath[] = "/downloads/retro/kolvex/setup/latest";

std::string Quote(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

// A route of the test server, as JSON: a text body and further fields.
std::string Text(const std::string& text, const std::string& more = "") {
    return "{\"body\": {\"text\": " + Quote(text) + "}" + (more.empty() ? "" : ", " + more) + "}";
}
std::string File(const std::string& name, const std::string& more = "") {
    return "{\"body\": {\"file\": " + Quote(name) + "}" + (more.empty() ? "" : ", " + more) + "}";
}
std::string Fill(int size, const std::string& more = "") {
    return "{\"body\": {\"fill\": \"a\", \"size\": " + std::to_string(size) + "}" + (more.empty() ? "" : ", " + more) +
           "}";
}

std::string Document(const std::string& version, const std::string& build, const std::string& members = "") {
    return "{\"version\": " + Quote(version) + ", \"buildTimestamp\": " + Quote(build) +
           (members.empty() ? "" : ", " + members) + "}";
}

// A newer version whose download is program.exe at downloadUrl, signed and named by its hash.
std::string NewerDocument(const std::string& members = "") {
    return Document("9.9.9", "20991231_000000",
                    "\"downloadUrl\": \"@PRIMARY@/files/program.exe\", \"downloadSha256\": \"@SHA256:program.exe@\"" +
                        (members.empty() ? "" : ", " + members));
}

struct Routes {
    std::vector<std::pair<std::string, std::string>> primary, secondary;
};

std::string Json(const std::vector<std::pair<std::string, std::string>>& routes) {
    std::string s = "{";
    for (const auto& [path, route] : routes)
        s += (s.size() > 1 ? ", " : "") + Quote(path) + ": " + route;
    return s + "}";
}

class UpdateServer : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        dir_ = EnvironmentValue(L"KOLVEX_UPDATE_TEST_DIR");
        marker_ = EnvironmentValue(L"KOLVEX_TEST_MARKER");
        ASSERT_FALSE(dir_.empty() || marker_.empty()) << "run by tests/e2e/update_server_test.sh";
        // Nothing may ever ask a server off this machine.
        ASSERT_EQ(ReadSetting(L"PrimaryServer").rfind(L"http://127.0.0.1:", 0), 0u);
        ASSERT_EQ(ReadSetting(L"SecondaryServer").rfind(L"http://127.0.0.1:", 0), 0u);
        static int counter = 0;
        const std::wstring small = EnvironmentValue(L"KOLVEX_UPDATE_SMALL_TEMP");
        temp_ = !small.empty() ? small
                               : MakeTestFolder((L"kolvex_update_temp_" + std::to_wstring(++counter) + L"_").c_str());
        GetEnvironmentVariableW(L"TMP", oldTmp_, MAX_PATH);
        GetEnvironmentVariableW(L"TEMP", oldTemp_, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", temp_.c_str());
        SetEnvironmentVariableW(L"TEMP", temp_.c_str());
        DeleteFileW(marker_.c_str());
    }
    void TearDown() override {
        // A worker may still be deleting the download it stopped.
        PumpUntil([&] { return NoDownloadLeft(); });
        SetEnvironmentVariableW(L"TMP", oldTmp_);
        SetEnvironmentVariableW(L"TEMP", oldTemp_);
        if (EnvironmentValue(L"KOLVEX_UPDATE_SMALL_TEMP").empty()) RemoveTestFolder(temp_);
        AppFixture::TearDown();
    }

    void Serve(const Routes& routes) {
        ASSERT_TRUE(WriteWholeFile(dir_ + L"\\case.json", "{\"primary\": " + Json(routes.primary) +
                                                              ", \"secondary\": " + Json(routes.secondary) + "}"));
        DeleteFileW((dir_ + L"\\primary.log").c_str());
        DeleteFileW((dir_ + L"\\secondary.log").c_str());
    }
    std::string Log(const wchar_t* role) const { return ReadWholeFile(dir_ + L"\\" + role + L".log").value_or(""); }

    // Starts a check and records what its label is set to.
    HWND StartCheck() {
        labels_.clear();
        CheckForUpdates(g_app.main);
        HWND w = UpdateWindowHandle();
        if (!w) return nullptr;
        HWND label = GetDlgItem(w, kUpdateLabelId);
        SetWindowLongPtrW(label, GWLP_USERDATA,
                          SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LabelSpy)));
        return w;
    }
    static LRESULT CALLBACK LabelSpy(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_SETTEXT && lParam) labels_.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
        auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        return CallWindowProcW(old, hwnd, msg, wParam, lParam);
    }
    bool SawLabel(const std::wstring& prefix) const {
        return std::any_of(labels_.begin(), labels_.end(),
                           [&](const std::wstring& l) { return l.rfind(prefix, 0) == 0; });
    }

    // No download file left in the temporary folder (the worker deletes a partial one after Cancel).
    bool NoDownloadLeft() const {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((temp_ + L"\\Kolvex_*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return true;
        FindClose(find);
        return false;
    }
    bool MarkerExists() const { return GetFileAttributesW(marker_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // The one box a check ends with, answering a question first with answer; fails on a second box.
    SeenBox FinalBox(BoxAnswerer& boxes, size_t expected, const char* what) {
        EXPECT_TRUE(boxes.WaitFor(expected)) << what << ": no message box";
        PumpUntil([] { return false; }, std::chrono::milliseconds(150));
        EXPECT_EQ(boxes.seen().size(), expected) << what << ": another box";
        EXPECT_EQ(UpdateWindowHandle(), nullptr) << what << ": the update window stayed";
        return boxes.seen().empty() ? SeenBox{} : boxes.seen().back();
    }

    std::wstring dir_, marker_, temp_;
    wchar_t oldTmp_[MAX_PATH] = {}, oldTemp_[MAX_PATH] = {};
    static std::vector<std::wstring> labels_;
};
std::vector<std::wstring> UpdateServer::labels_;

std::wstring W(const char* utf8) { return Wide(utf8); }

TEST_F(UpdateServer, DISABLED_WhatTheVersionDocumentSays) {
    const struct {
        const char* what;
        Routes routes;
        const char* version; // what the box names
        const char* build;
    } cases[] = {
        {"the same version",
         {{{kVersionPath, Text(Document("1.0.0", "20261028_094727"))}}, {}},
         "1.0.0",
         "20261028_094727"},
        {"the same version without a build", {{{kVersionPath, Text(Document("1.0.0", ""))}}, {}}, "1.0.0", ""},
        {"an older version",
         {{{kVersionPath, Text(Document("0.9.9", "20991231_000000"))}}, {}},
         "0.9.9",
         "20991231_000000"},
        {"a 404 from the primary",
         {{{kVersionPath, Text("<html>Not Found</html>", "\"status\": 404")}},
          {{kVersionPath, Text(Document("1.0.0", "20200101_000000"))}}},
         "1.0.0",
         "20200101_000000"},
    };
    for (const auto& c : cases) {
        Serve(c.routes);
        BoxAnswerer boxes;
        ASSERT_NE(StartCheck(), nullptr);
        const SeenBox box = FinalBox(boxes, 1, c.what);
        EXPECT_EQ(box.caption, L"Kolvex Update") << c.what;
        EXPECT_EQ(box.text, W(AlreadyLatestMessage(c.version, c.build).c_str())) << c.what;
        EXPECT_EQ(box.owner, g_app.main) << c.what;
    }
    // The last case: the primary was asked first, the secondary answered with a signed document.
    EXPECT_NE(Log(L"primary").find("GET /downloads/retro/kolvex/version.json Kolvex-Updater"), std::string::npos);
    EXPECT_NE(Log(L"secondary").find("GET /downloads/retro/kolvex/version.json.sig Kolvex-Updater"), std::string::npos);
}

TEST_F(UpdateServer, DISABLED_ANewerVersionAnsweredNoDownloadsNothing) {
    Serve({{{kVersionPath, Text(Document("1.0.0", "20261028_094728"))}}, {}});
    BoxAnswerer boxes(IDNO);
    HWND w = StartCheck();
    ASSERT_NE(w, nullptr);
    const SeenBox box = FinalBox(boxes, 1, "newer");
    EXPECT_TRUE(box.question);
    EXPECT_EQ(box.caption, L"Kolvex Update Available");
    EXPECT_EQ(box.text, W(NewVersionQuestion("1.0.0", "20261028_094728").c_str()));
    EXPECT_EQ(box.owner, g_app.main);
    EXPECT_FALSE(IsWindow(w));
    const std::string log = Log(L"primary");
    EXPECT_EQ(log.find("latest"), std::string::npos) << log;
    EXPECT_EQ(log.find("/files/"), std::string::npos) << log;
}

TEST_F(UpdateServer, DISABLED_NoUsableVersionDocument) {
    const std::string newer = Document("2.0.0", "20991231_000000");
    const std::string longVersion = Document(std::string(10000, '9'), "");
    const struct {
        const char* what;
        Routes routes;
        bool closedPorts;
    } cases[] = {
        {"both servers down", {}, true},
        {"a 10,000-character version",
         {{{kVersionPath, Text(longVersion)}}, {{kVersionPath, Text(longVersion)}}},
         false},
        {"an HTML page", {{{kVersionPath, Text("<html><body>Welcome</body></html>")}}, {}}, false},
        {"an unsigned version.json", {{{kVersionPath, Text(newer, "\"sig\": \"none\"")}}, {}}, false},
        {"version.json signed by another key", {{{kVersionPath, Text(newer, "\"sig\": \"other\"")}}, {}}, false},
        {"version.json changed after signing", {{{kVersionPath, Text(newer, "\"tamper\": true")}}, {}}, false},
        {"a signature one byte short", {{{kVersionPath, Text(newer, "\"sig\": \"short\"")}}, {}}, false},
        // Followed, the redirects would lead to a signed document.
        {"redirects to another server",
         {{{kVersionPath, Text("", "\"status\": 302, \"headers\": {\"Location\": \"@SECONDARY@/other.json\"}")},
           {std::string(kVersionPath) + ".sig",
            Text("", "\"status\": 302, \"headers\": {\"Location\": \"@SECONDARY@/other.json.sig\"}")}},
          {{"/other.json", Text(newer)}}},
         false},
    };
    for (const auto& c : cases) {
        Serve(c.routes);
        std::optional<ServersDown> down;
        if (c.closedPorts) down.emplace();
        BoxAnswerer boxes;
        ASSERT_NE(StartCheck(), nullptr);
        const SeenBox box = FinalBox(boxes, 1, c.what);
        EXPECT_EQ(box.caption, L"Kolvex Update") << c.what;
        EXPECT_EQ(box.text, W(kMsgNoUpdateInformation)) << c.what;
    }
}

TEST_F(UpdateServer, DISABLED_AnEndlessVersionDocumentIsGivenUpWithinTheFirstMebibyte) {
    Serve({{{kVersionPath, "{\"stream\": 104857600}"}}, {{kVersionPath, "{\"stream\": 104857600}"}}});
    BoxAnswerer boxes;
    ASSERT_NE(StartCheck(), nullptr);
    const SeenBox box = FinalBox(boxes, 1, "100 MiB streamed");
    EXPECT_EQ(box.text, W(kMsgNoUpdateInformation));
    for (const wchar_t* role : {L"primary", L"secondary"}) {
        std::string log;
        ASSERT_TRUE(PumpUntil([&] { return (log = Log(role)).find("ended ") != std::string::npos; })) << log;
        const size_t after = log.find(" after ", log.find("ended "));
        ASSERT_NE(after, std::string::npos) << log;
        const long sent = std::stol(log.substr(after + 7));
        EXPECT_LT(sent, 1 << 20) << log;
        EXPECT_EQ(log.find("done"), std::string::npos) << log;
    }
}

// The download of program.exe at downloadUrl, answered by route; the question is answered Yes.
Routes Download(const std::string& route, const std::string& members = "") {
    return {{{kVersionPath, Text(NewerDocument(members))}, {"/files/program.exe", route}}, {}};
}

TEST_F(UpdateServer, DISABLED_RefusedDownloadsRunNothing) {
    const std::string html404 = "\"status\": 404, \"pad\": 60000";
    const std::string setup = "\"setupUrl\": \"@PRIMARY@/files/setup.exe\"";
    const struct {
        const char* what;
        Routes routes;
        const char* message;
        bool downloaded; // the body arrived and went through the download check
        bool everyUrl = false;
    } cases[] = {
        {"49,999 bytes", Download(Fill(49999)), kMsgDownloadIncomplete, true},
        {"cut at 60,000 of 200,000", Download(Fill(200000, "\"cut\": 60000")), kMsgDownloadIncomplete, true},
        {"cut at 60,000 without Content-Length", Download(Fill(200000, "\"cut\": 60000, \"length\": false")),
         kMsgDownloadIncomplete, true},
        {"a Content-Length over 256 MiB", Download(File("program.exe", "\"length\": 300000000")),
         kMsgDownloadIncomplete, true},
        {"a 60,000-byte HTML 404 at every download URL",
         {{{kVersionPath, Text(NewerDocument(setup))},
           {"/files/setup.exe", Text("<html>Not Found</html>", html404)},
           {kSetupLatestPath, Text("<html>Not Found</html>", html404)},
           {kLatestPath, Text("<html>Not Found</html>", html404)},
           {"/files/program.exe", Text("<html>Not Found</html>", html404)}},
          {}},
         kMsgDownloadNotStarted,
         false,
         true},
        {"a body that is no program", Download(Fill(200000)), kMsgNotAProgram, true},
        {"no signature", Download(File("program.exe", "\"sig\": \"none\"")), kMsgNotVerified, true},
        {"a signature by another key", Download(File("program.exe", "\"sig\": \"other\"")), kMsgNotVerified, true},
        {"a body changed after signing", Download(File("program.exe", "\"tamper\": true")), kMsgNotVerified, true},
        {"an older signed file under a 9.9.9 document", Download(File("old.exe")), kMsgNotVerified, true},
        {"the installer served at downloadUrl",
         Download(File("installer.exe"), "\"setupSha256\": \"@SHA256:installer.exe@\""), kMsgNotVerified, true},
    };
    for (const auto& c : cases) {
        Serve(c.routes);
        BoxAnswerer boxes(IDYES);
        ASSERT_NE(StartCheck(), nullptr);
        const SeenBox box = FinalBox(boxes, 2, c.what);
        EXPECT_TRUE(boxes.seen()[0].question) << c.what;
        EXPECT_EQ(box.caption, L"Update Error") << c.what;
        EXPECT_EQ(box.text, W(c.message)) << c.what;
        EXPECT_EQ(box.owner, g_app.main) << c.what;
        EXPECT_TRUE(SawLabel(L"Connecting to download server...")) << c.what;
        EXPECT_EQ(SawLabel(L"Applying update..."), c.downloaded) << c.what;
        EXPECT_TRUE(PumpUntil([&] { return NoDownloadLeft(); })) << c.what << ": the refused file is still there";
        EXPECT_FALSE(MarkerExists()) << c.what << ": the refused file ran";
        if (!c.everyUrl) continue;
        // The installer, the fallback installer, then the default download.
        const std::string log = Log(L"primary");
        const size_t asked = log.find("GET /files/setup.exe "),
                     fallback = log.find("GET " + std::string(kSetupLatestPath)),
                     latest = log.find("GET " + std::string(kLatestPath) + " ");
        ASSERT_NE(latest, std::string::npos) << log;
        EXPECT_LT(asked, fallback) << log;
        EXPECT_LT(fallback, latest) << log;
        EXPECT_EQ(log.find("/files/program.exe"), std::string::npos) << "a setupUrl goes first: " << log;
    }
}

TEST_F(UpdateServer, DISABLED_WithoutAKeyNothingIsAskedOrRun) {
    UpdateSetting noKey(L"PublicKey", REG_BINARY, nullptr, 0);
    Serve(Download(File("program.exe")));
    BoxAnswerer boxes(IDYES);
    ASSERT_NE(StartCheck(), nullptr);
    const SeenBox box = FinalBox(boxes, 1, "no PublicKey");
    EXPECT_EQ(box.caption, L"Update Error");
    EXPECT_EQ(box.text, W(kMsgNotVerified));
    EXPECT_EQ(Log(L"primary"), "");
    EXPECT_EQ(Log(L"secondary"), "");
    EXPECT_FALSE(MarkerExists());
}

TEST_F(UpdateServer, DISABLED_CancelWhileCheckingEndsSilently) {
    Serve({{{kVersionPath, Text(Document("2.0.0", "") + std::string(600, ' '), "\"drip\": [100, 0.2]")}}, {}});
    BoxAnswerer boxes;
    HWND w = StartCheck();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Log(L"primary").find("version.json ") != std::string::npos; }));
    Post(GetDlgItem(w, IDCANCEL), BM_CLICK);
    EXPECT_FALSE(IsWindow(w));
    // Until the server is done with the document, whether the connection was dropped or not.
    EXPECT_TRUE(
        PumpUntil([&] { return Log(L"primary").find("ended " + std::string(kVersionPath)) != std::string::npos; }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(Log(L"primary").find(".sig"), std::string::npos) << "the check went on after Cancel";
    EXPECT_EQ(Log(L"secondary"), "");
}

int ProgressPosition(HWND update) {
    return static_cast<int>(SendDlgItemMessageW(update, kUpdateProgressId, PBM_GETPOS, 0, 0));
}

TEST_F(UpdateServer, DISABLED_ASlowDownloadShowsProgressAndCancelStopsIt) {
    const struct {
        const char* what;
        std::string route;
        bool byEscape;
        const wchar_t* firstLabel;
    } cases[] = {
        {"Cancel clicked, with Content-Length", Fill(200000, "\"drip\": [16384, 0.1]"), false,
         L"Downloading: 16 KB / 195 KB (8%)..."},
        {"Esc, without Content-Length", Fill(200000, "\"drip\": [16384, 0.3], \"length\": false"), true,
         L"Downloading: 16 KB..."},
    };
    for (const auto& c : cases) {
        Serve(Download(c.route));
        BoxAnswerer boxes(IDYES);
        HWND w = StartCheck();
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return SawLabel(c.firstLabel); })) << c.what;
        EXPECT_TRUE(SawLabel(L"Connecting to download server...")) << c.what;
        if (!c.byEscape) {
            const int first = ProgressPosition(w);
            EXPECT_EQ(first, 8) << c.what;
            EXPECT_TRUE(PumpUntil([&] { return SawLabel(L"Downloading: 32 KB / 195 KB (16%)..."); })) << c.what;
            EXPECT_GE(ProgressPosition(w), 16) << c.what;
            Post(GetDlgItem(w, IDCANCEL), BM_CLICK);
        } else {
            Post(GetDlgItem(w, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
        }
        EXPECT_FALSE(IsWindow(w)) << c.what;
        EXPECT_EQ(UpdateWindowHandle(), nullptr) << c.what;
        EXPECT_TRUE(PumpUntil([&] { return NoDownloadLeft(); }, std::chrono::milliseconds(2000)))
            << c.what << ": the partial file is still there";
        PumpUntil([] { return false; }, std::chrono::milliseconds(200));
        EXPECT_EQ(boxes.seen().size(), 1u) << c.what << ": a message after Cancel";
        EXPECT_FALSE(MarkerExists()) << c.what;
        EXPECT_TRUE(PumpUntil([&] { return Log(L"primary").find("ended /files/program.exe") != std::string::npos; }))
            << c.what << ": the download went on";
    }
}

RECT ClientRectOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectPlaced(HWND control, int x, int y, int w, int h, const char* what) {
    const RECT r = ClientRectOf(control);
    EXPECT_EQ(r.left, x) << what;
    EXPECT_EQ(r.top, y) << what;
    EXPECT_EQ(r.right - r.left, w) << what;
    EXPECT_EQ(r.bottom - r.top, h) << what;
}

std::wstring TextOf(HWND w) {
    wchar_t buffer[256] = {};
    GetWindowTextW(w, buffer, 256);
    return buffer;
}

TEST_F(UpdateServer, DISABLED_TheWindowIsTopmostSingleAndLeavesItsOwnerEnabled) {
    ServersDown down;
    BoxAnswerer boxes;
    HWND w = StartCheck();
    ASSERT_NE(w, nullptr);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    EXPECT_STREQ(cls, kUpdateClass);
    EXPECT_EQ(TextOf(w), L"Kolvex Update");
    const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE), style = GetWindowLongPtrW(w, GWL_STYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    RECT r, owner;
    GetWindowRect(w, &r);
    GetWindowRect(g_app.main, &owner);
    EXPECT_EQ(r.right - r.left, 380);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(r.left, std::max<LONG>(10, owner.left + (owner.right - owner.left - 380) / 2));
    EXPECT_EQ(r.top, std::max<LONG>(10, owner.top + (owner.bottom - owner.top - 150) / 2));
    EXPECT_EQ(GetWindow(w, GW_OWNER), g_app.main);
    EXPECT_TRUE(IsWindowEnabled(g_app.main));

    HWND label = GetDlgItem(w, kUpdateLabelId), bar = GetDlgItem(w, kUpdateProgressId),
         cancel = GetDlgItem(w, IDCANCEL);
    EXPECT_EQ(TextOf(label), L"Checking for updates from server...");
    ExpectPlaced(label, 20, 20, 340, 20, "label");
    GetClassNameW(bar, cls, 64);
    EXPECT_STREQ(cls, L"msctls_progress32");
    EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_SMOOTH);
    ExpectPlaced(bar, 20, 50, 340, 20, "progress bar");
    EXPECT_EQ(TextOf(cancel), L"Cancel");
    ExpectPlaced(cancel, 140, 85, 100, 26, "Cancel");
    for (HWND c : {label, cancel})
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));

    // A second request brings the same window up.
    CheckForUpdates(g_app.main);
    EXPECT_EQ(UpdateWindowHandle(), w);
    EXPECT_EQ(FindWindowExW(nullptr, w, kUpdateClass, nullptr), nullptr);
    const SeenBox box = FinalBox(boxes, 1, "servers down");
    EXPECT_EQ(box.text, W(kMsgNoUpdateInformation));
    EXPECT_EQ(box.owner, g_app.main);
}

// Sets a file's or folder's last-write time hours before now.
void Age(const std::wstring& path, int hours) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(hours) * 3600 * 10'000'000;
    const FILETIME written = {t.LowPart, t.HighPart};
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &written));
    CloseHandle(h);
}

TEST_F(UpdateServer, DISABLED_OnlyOldDownloadsAreRemovedFromTheTemporaryFolder) {
    const struct {
        const wchar_t* name;
        int hours;
        bool folder;
        bool removed;
    } files[] = {
        {L"Kolvex_Setup_1.exe", 25, false, true},    {L"Kolvex_update_22.exe", 48, false, true},
        {L"Kolvex_Setup_12a.exe", 25, false, false}, {L"Kolvex_update_7.exe", 23, false, false},
        {L"Kolvex_Setup_5.exe", 25, true, false},    {L"Kolvex_notes.exe", 48, false, false},
        {L"kolvex_update_3.exe", 48, false, false},
    };
    for (const auto& f : files) {
        const std::wstring path = temp_ + L"\\" + f.name;
        if (f.folder)
            ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
        else
            ASSERT_TRUE(WriteWholeFile(path, "x"));
        Age(path, f.hours);
    }
    ServersDown down;
    BoxAnswerer boxes;
    ASSERT_NE(StartCheck(), nullptr);
    FinalBox(boxes, 1, "servers down");
    for (const auto& f : files) {
        const std::wstring path = temp_ + L"\\" + f.name;
        EXPECT_EQ(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES, f.removed) << f.hours;
        if (f.folder)
            RemoveDirectoryW(path.c_str());
        else
            DeleteFileW(path.c_str());
    }
}

// Run with WINEDEBUG=warn+heap: the worker ends while the UI thread sleeps with a Cancel queued, so its close
// request has to be posted; the queued Cancel then reaches a job only the window still holds.
TEST_F(UpdateServer, DISABLED_ABusyUserInterfaceThreadWithACancelQueuedEndsCleanly) {
    ServersDown down;
    BoxAnswerer boxes;
    HWND w = StartCheck();
    ASSERT_NE(w, nullptr);
    PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    Sleep(3000);
    const SeenBox box = FinalBox(boxes, 1, "busy UI thread");
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(box.caption, L"Kolvex Update");
    EXPECT_EQ(box.text, W(kMsgNoUpdateInformation));
    EXPECT_EQ(box.owner, g_app.main);
}

// Run with wininet.dll disabled.
TEST_F(UpdateServer, DISABLED_WithoutWinInetTheCheckSaysSo) {
    Serve({{{kVersionPath, Text(Document("2.0.0", ""))}}, {}});
    BoxAnswerer boxes;
    ASSERT_NE(StartCheck(), nullptr);
    const SeenBox box = FinalBox(boxes, 1, "no WinINet");
    EXPECT_EQ(box.caption, L"Kolvex Update");
    EXPECT_EQ(box.text, W(kMsgWinInetMissing));
    EXPECT_EQ(Log(L"primary"), "");
}

// Run with KOLVEX_UPDATE_SMALL_TEMP naming a folder on a file system far smaller than the download.
TEST_F(UpdateServer, DISABLED_ATemporaryFolderTooSmallForTheDownload) {
    ASSERT_FALSE(EnvironmentValue(L"KOLVEX_UPDATE_SMALL_TEMP").empty());
    Serve(Download(File("program.exe")));
    BoxAnswerer boxes(IDYES);
    ASSERT_NE(StartCheck(), nullptr);
    const SeenBox box = FinalBox(boxes, 2, "small temporary folder");
    EXPECT_EQ(box.caption, L"Update Error");
    EXPECT_EQ(box.text, W(kMsgDownloadIncomplete));
    EXPECT_TRUE(PumpUntil([&] { return NoDownloadLeft(); }));
    EXPECT_FALSE(MarkerExists());
}

} // namespace
