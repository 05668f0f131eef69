#include "update/update_core.h"

#include <climits>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != prefix[i]) return false;
    return true;
}

// One "%d" conversion: blanks, a sign, at least one digit. Saturates instead of overflowing.
bool ScanInt(std::string_view s, size_t* pos, int* out) {
    size_t i = *pos;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || !IsDigit(s[i])) return false;
    long long v = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i)
        if (v <= INT_MAX) v = v * 10 + (s[i] - '0');
    if (negative) v = -v;
    *out = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    *pos = i;
    return true;
}

// The build comparison: byte by byte over at most 15 characters, then by length.
int CompareBuild(std::string_view a, std::string_view b) {
    const int c = a.substr(0, 15).compare(b.substr(0, 15));
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool IsHostChar(char c) { return IsDigit(c) || (Lower(c) >= 'a' && Lower(c) <= 'z') || c == '.' || c == '-'; }

// "scheme://host[:port]" at the start of text; *rest is what follows the authority.
std::optional<ServerAddress> ParseAuthority(std::string_view text, std::string_view* rest) {
    ServerAddress a;
    size_t i;
    if (StartsWithNoCase(text, "http://")) {
        i = 7;
    } else if (StartsWithNoCase(text, "https://")) {
        a.https = true;
        i = 8;
    } else {
        return std::nullopt;
    }
    const size_t hostStart = i;
    while (i < text.size() && IsHostChar(text[i]))
        a.host += Lower(text[i++]);
    if (i == hostStart || a.host.size() > 253 || a.host.front() == '.' || a.host.front() == '-') return std::nullopt;
    a.port = a.https ? 443 : 80;
    if (i < text.size() && text[i] == ':') {
        const size_t digits = ++i;
        long port = 0;
        while (i < text.size() && IsDigit(text[i]) && i - digits < 5)
            port = port * 10 + (text[i++] - '0');
        if (i == digits || port < 1 || port > 65535) return std::nullopt;
        a.port = static_cast<int>(port);
    }
    *rest = text.substr(i);
    return a;
}

bool IsPrintableAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) return false;
    return true;
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

std::string Format(const char* format, std::string_view a, std::string_view b) {
    std::string out;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 'A') {
            out += a;
            ++p;
        } else if (p[0] == '%' && p[1] == 'B') {
            out += b;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

} // namespace

std::string ExtractJsonString(std::string_view text, std::string_view key) {
    const std::string quoted = "\"" + std::string(key) + "\"";
    const size_t k = text.find(quoted);
    if (k == std::string_view::npos) return {};
    const size_t colon = text.find(':', k + quoted.size());
    if (colon == std::string_view::npos) return {};
    const size_t open = text.find('"', colon + 1);
    if (open == std::string_view::npos) return {};
    const size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) return {};
    return std::string(text.substr(open + 1, close - open - 1));
}

VersionTriple ParseVersionTriple(std::string_view text) {
    VersionTriple v;
    size_t pos = 0;
    if (!ScanInt(text, &pos, &v.major)) return v;
    if (pos >= text.size() || text[pos++] != '.' || !ScanInt(text, &pos, &v.minor)) return v;
    if (pos >= text.size() || text[pos++] != '.') return v;
    (void)ScanInt(text, &pos, &v.patch);
    return v;
}

bool IsNewerThanProgram(std::string_view version, std::string_view build) {
    const VersionTriple s = ParseVersionTriple(version), own = ParseVersionTriple(kProgramVersion);
    if (s.major != own.major) return s.major > own.major;
    if (s.minor != own.minor) return s.minor > own.minor;
    if (s.patch != own.patch) return s.patch > own.patch;
    return !build.empty() && CompareBuild(build, kProgramBuild) > 0;
}

std::optional<ServerAddress> ParseServerSetting(std::string_view text) {
    std::string_view rest;
    std::optional<ServerAddress> a = ParseAuthority(text, &rest);
    if (!a || !(rest.empty() || rest == "/")) return std::nullopt;
    return a;
}

std::string ServerUrl(const ServerAddress& server, std::string_view path) {
    return std::string(server.https ? "https://" : "http://") + server.host + ":" + std::to_string(server.port) +
           std::string(path);
}

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    if (url.size() > kMaxUrlChars || !IsPrintableAscii(url)) return std::nullopt;
    std::string_view rest;
    std::optional<ServerAddress> a = ParseAuthority(url, &rest);
    if (!a || rest.empty() || rest.front() != '/') return std::nullopt;
    return HttpUrl{*a, std::string(rest)};
}

bool IsUrlOnServers(std::string_view url, const ServerAddress& primary, const ServerAddress& secondary) {
    const std::optional<HttpUrl> u = ParseHttpUrl(url);
    return u && (u->server == primary || u->server == secondary);
}

std::optional<Sha256> ParseSha256Hex(std::string_view hex) {
    if (hex.size() != 64) return std::nullopt;
    Sha256 d{};
    for (size_t i = 0; i < 32; ++i) {
        const int hi = HexValue(hex[2 * i]), lo = HexValue(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        d[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return d;
}

std::optional<UpdateDocument> ReadUpdateDocument(std::string_view text, const ServerAddress& primary,
                                                 const ServerAddress& secondary) {
    UpdateDocument d;
    d.version = ExtractJsonString(text, "version");
    d.build = ExtractJsonString(text, "buildTimestamp");
    if (d.version.empty() || d.version.size() > kMaxVersionChars || d.build.size() > kMaxVersionChars)
        return std::nullopt;
    d.downloadUrl = ExtractJsonString(text, "downloadUrl");
    if (!IsUrlOnServers(d.downloadUrl, primary, secondary)) d.downloadUrl = ServerUrl(primary, kDefaultDownloadPath);
    d.setupUrl = ExtractJsonString(text, "setupUrl");
    if (!IsUrlOnServers(d.setupUrl, primary, secondary)) d.setupUrl.clear();
    d.setupSha256 = ParseSha256Hex(ExtractJsonString(text, "setupSha256"));
    d.downloadSha256 = ParseSha256Hex(ExtractJsonString(text, "downloadSha256"));
    return d;
}

std::vector<DownloadCandidate> DownloadCandidates(const UpdateDocument& document, const ServerAddress& primary) {
    std::vector<DownloadCandidate> list;
    auto add = [&list](std::string url, InstallMode mode) {
        if (list.empty() || list.back().url != url) list.push_back({std::move(url), mode});
    };
    if (!document.setupUrl.empty()) {
        add(document.setupUrl, InstallMode::Installer);
        add(ServerUrl(primary, kFallbackInstallerPath), InstallMode::Installer);
    } else {
        add(document.downloadUrl, InstallMode::Replacement);
    }
    add(ServerUrl(primary, kDefaultDownloadPath), InstallMode::Replacement);
    return list;
}

const std::optional<Sha256>& ExpectedSha256(const UpdateDocument& document, InstallMode mode) {
    return mode == InstallMode::Installer ? document.setupSha256 : document.downloadSha256;
}

std::optional<uint64_t> ParseContentLength(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
    uint64_t v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        v = v > (UINT64_MAX - 9) / 10 ? UINT64_MAX : v * 10 + static_cast<uint64_t>(text[i] - '0');
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size()) return std::nullopt;
    return v;
}

bool IsDownloadComplete(const DownloadFacts& f) {
    if (f.readFailed || f.writeFailed || f.overCap) return false;
    if (f.hasContentLength && (!f.contentLength || *f.contentLength != f.received)) return false;
    return f.received >= kMinDownloadBytes && f.received <= kMaxDownloadBytes;
}

bool IsGuiPe32(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (headSize > fileSize || headSize < 64 || head[0] != 'M' || head[1] != 'Z') return false;
    const uint64_t pe = U32(head + 0x3C);
    if (pe < 64 || pe + 24 > headSize || std::memcmp(head + pe, "PE\0\0", 4) != 0) return false;
    const uint8_t* file = head + pe + 4;
    const uint16_t machine = U16(file), sections = U16(file + 2), optSize = U16(file + 16), flags = U16(file + 18);
    constexpr uint16_t kExecutable = 0x0002, kDll = 0x2000;
    if (machine != 0x14C || sections == 0 || !(flags & kExecutable) || (flags & kDll) || optSize < 72) return false;
    const uint64_t opt = pe + 24, table = opt + optSize;
    if (table + 40ull * sections > headSize) return false;
    constexpr uint16_t kPe32Magic = 0x10B, kGuiSubsystem = 2;
    if (U16(head + opt) != kPe32Magic || U16(head + opt + 68) != kGuiSubsystem) return false;
    for (uint16_t s = 0; s < sections; ++s) {
        const uint8_t* section = head + table + 40ull * s;
        const uint64_t rawSize = U32(section + 16), rawStart = U32(section + 20);
        if (rawSize != 0 && rawStart + rawSize > fileSize) return false;
    }
    return true;
}

std::optional<size_t> PublicKeyModulusBytes(const std::vector<uint8_t>& blob) {
    // BLOBHEADER {PUBLICKEYBLOB, version 2, reserved, CALG_RSA_KEYX or CALG_RSA_SIGN}, then RSAPUBKEY {"RSA1",
    // bit length, public exponent}, then the modulus, little-endian.
    constexpr uint8_t kPublicKeyBlob = 6;
    constexpr uint32_t kRsaKeyExchange = 0xA400, kRsaSign = 0x2400, kRsa1 = 0x31415352;
    if (blob.size() < 20 || blob[0] != kPublicKeyBlob || blob[1] != 2) return std::nullopt;
    const uint32_t alg = U32(blob.data() + 4), bits = U32(blob.data() + 12);
    if ((alg != kRsaKeyExchange && alg != kRsaSign) || U32(blob.data() + 8) != kRsa1) return std::nullopt;
    if (bits < 2048 || bits > 16384 || bits % 8 != 0 || blob.size() != 20 + bits / 8) return std::nullopt;
    if (U32(blob.data() + 16) == 0) return std::nullopt;
    return bits / 8;
}

bool IsUpdateDownloadName(std::wstring_view name) {
    constexpr std::wstring_view kPrefixes[] = {L"Kolvex_Setup_", L"Kolvex_update_"};
    constexpr std::wstring_view kSuffix = L".exe";
    for (std::wstring_view prefix : kPrefixes) {
        if (name.size() <= prefix.size() + kSuffix.size() || name.substr(0, prefix.size()) != prefix) continue;
        if (name.substr(name.size() - kSuffix.size()) != kSuffix) continue;
        const std::wstring_view digits = name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
        bool allDigits = true;
        for (wchar_t c : digits)
            allDigits = allDigits && c >= L'0' && c <= L'9';
        if (allDigits) return true;
    }
    return false;
}

bool IsOlderThanADay(uint64_t written, uint64_t now) {
    constexpr uint64_t kDay = 24ull * 60 * 60 * 10'000'000;
    return now > written && now - written > kDay;
}

std::wstring InstallerArguments(std::wstring_view programFolder) {
    constexpr std::wstring_view kNoTarget[] = {L"Temp", L"temp", L"Downloads", L"downloads", L"Desktop", L"desktop"};
    for (std::wstring_view word : kNoTarget)
        if (programFolder.find(word) != std::wstring_view::npos) return {};
    return L"/D=" + std::wstring(programFolder);
}

std::string AlreadyLatestMessage(std::string_view serverVersion, std::string_view serverBuild) {
    return std::string("You are already using the latest version of Kolvex!\n\nCurrent Version: v") + kProgramVersion +
           " (Build " + kProgramBuild + ")\n" + Format("Server Version:  v%A (Build %B)", serverVersion, serverBuild);
}

std::string NewVersionQuestion(std::string_view serverVersion, std::string_view serverBuild) {
    return std::string("A new version of Kolvex is available!\n\nCurrent Version: v") + kProgramVersion + " (Build " +
           kProgramBuild + ")\n" + Format("Latest Version:  v%A (Build %B)", serverVersion, serverBuild) +
           "\n\nWould you like to download and install this update now?";
}

std::string InstallerFailedMessage(std::string_view path) {
    return Format("Failed to launch installer (%A).\nPlease run it manually to complete update.", path, {});
}

int DownloadPercent(uint64_t received, uint64_t total) {
    if (total == 0) return 100;
    const uint64_t percent = received >= total ? 100 : received * 100 / total;
    return static_cast<int>(percent);
}

std::string DownloadingLabel(uint64_t received, std::optional<uint64_t> total) {
    const std::string kb = std::to_string(static_cast<uint32_t>(received / 1024));
    if (!total) return "Downloading: " + kb + " KB...";
    return "Downloading: " + kb + " KB / " + std::to_string(static_cast<uint32_t>(*total / 1024)) + " KB (" +
           std::to_string(DownloadPercent(received, *total)) + "%)...";
}
