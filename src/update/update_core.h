// The update check's rules that need no system: the program's identity, the version document and its members,
// server addresses and URLs, the comparison, and what makes a download acceptable. Texts are UTF-8.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kProgramVersion[] = "1.0.0";
inline constexpr char kProgramBuild[] = "20261028_094727";
inline constexpr char kUpdateUserAgent[] = "Kolvex-Updater";

inline constexpr char kVersionDocumentPath[] = "/downloads/retro/kolvex/version.json";
inline constexpr char kDefaultDownloadPath[] = "/downloads/retro/kolvex/latest";
inline constexpr char kFallbackInstallerPath[] = "/downloads/retro/kolvex/setup/latest";
// A detached signature lies at the signed file's URL with this appended.
inline constexpr char kSignatureSuffix[] = ".sig";

// A larger version document is no document; longer versions and builds make the document unusable.
inline constexpr size_t kMaxDocumentBytes = 64 * 1024;
inline constexpr size_t kMaxVersionChars = 31;
inline constexpr size_t kMaxUrlChars = 2083;
inline constexpr uint64_t kMinDownloadBytes = 50000;
inline constexpr uint64_t kMaxDownloadBytes = 256ull * 1024 * 1024;

using Sha256 = std::array<uint8_t, 32>;

// The value of the first string member named key: the text between the two double quotes that follow the
// next colon after "key", without unescaping; empty when any of these is missing.
std::string ExtractJsonString(std::string_view text, std::string_view key);

struct VersionTriple {
    int major = 0;
    int minor = 0;
    int patch = 0;
};
// Major, minor and patch as "%d.%d.%d" reads them, parts that do not parse left 0, but saturating at the int
// limits instead of wrapping.
VersionTriple ParseVersionTriple(std::string_view text);
// Whether the server's version and build are newer than the program's own (an empty build compares equal).
bool IsNewerThanProgram(std::string_view version, std::string_view build);

struct ServerAddress {
    bool https = false;
    std::string host; // lower case
    int port = 0;     // the scheme's default when the setting names none
    bool operator==(const ServerAddress&) const = default;
};
// "http://host[:port]" or "https://host[:port]", an optional trailing "/"; nullopt for anything else.
std::optional<ServerAddress> ParseServerSetting(std::string_view text);
// "scheme://host:port" followed by path, which starts with "/".
std::string ServerUrl(const ServerAddress& server, std::string_view path);

struct HttpUrl {
    ServerAddress server;
    std::string path; // from the first "/" after the host on, query included
};
// An absolute http or https URL of at most kMaxUrlChars printable ASCII characters, no user name.
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);
// Whether url is an acceptable URL on one of the two servers: scheme, host and port compared, never a prefix.
bool IsUrlOnServers(std::string_view url, const ServerAddress& primary, const ServerAddress& secondary);

std::optional<Sha256> ParseSha256Hex(std::string_view hex);

struct UpdateDocument {
    std::string version;
    std::string build;
    std::string downloadUrl; // never empty: the default download when the document names no usable one
    std::string setupUrl;    // empty when the document names no usable one
    std::optional<Sha256> setupSha256;
    std::optional<Sha256> downloadSha256;
};
// The members of a version document whose signature has been checked; nullopt when it has no usable version
// or build (the "Could not retrieve" case). URLs that are too long, not http or https, or not on one of the
// servers count as absent.
std::optional<UpdateDocument> ReadUpdateDocument(std::string_view text, const ServerAddress& primary,
                                                 const ServerAddress& secondary);

enum class InstallMode { Installer, Replacement };
struct DownloadCandidate {
    std::string url;
    InstallMode mode;
};
// The URLs to try in order: the installer, the fallback installer, then the default download; or the
// replacement and the default download. No URL twice in a row.
std::vector<DownloadCandidate> DownloadCandidates(const UpdateDocument& document, const ServerAddress& primary);
// The hash the document names for a download in that mode.
const std::optional<Sha256>& ExpectedSha256(const UpdateDocument& document, InstallMode mode);

// A Content-Length header's value: decimal digits, blanks around them allowed, saturating; nullopt otherwise.
std::optional<uint64_t> ParseContentLength(std::string_view text);

struct DownloadFacts {
    uint64_t received = 0;
    bool hasContentLength = false;
    std::optional<uint64_t> contentLength; // nullopt for a header that is there but no number
    bool readFailed = false;               // a read ended in an error, not at the end of the body
    bool writeFailed = false;
    bool overCap = false; // more than kMaxDownloadBytes arrived and the download was stopped
};
// The whole body arrived and is on disk: no failed read or write, exactly Content-Length bytes when the header
// is there, and between kMinDownloadBytes and kMaxDownloadBytes.
bool IsDownloadComplete(const DownloadFacts& facts);

// How many leading bytes of a download IsGuiPe32 looks at; a program's headers lie well inside them.
inline constexpr size_t kPeHeadBytes = 64 * 1024;
// A 32-bit i386 executable of the GUI subsystem, not a DLL, whose sections lie inside the file. head holds the
// file's first bytes (up to kPeHeadBytes), fileSize its whole size.
bool IsGuiPe32(const uint8_t* head, size_t headSize, uint64_t fileSize);

// The modulus length in bytes of a CryptoAPI PUBLICKEYBLOB holding an RSA key of 2048 bits or more; nullopt for
// anything else.
std::optional<size_t> PublicKeyModulusBytes(const std::vector<uint8_t>& blob);

// The download files the check writes: "Kolvex_Setup_<digits>.exe" and "Kolvex_update_<digits>.exe".
bool IsUpdateDownloadName(std::wstring_view name);
// File times in 100 ns units: whether written was more than 24 hours before now.
bool IsOlderThanADay(uint64_t written, uint64_t now);

// The installer's parameter: "/D=" and the program folder, or nothing for a folder whose path suggests a
// download or desktop location (the installer then asks).
std::wstring InstallerArguments(std::wstring_view programFolder);

// Message texts, UTF-8.
inline constexpr char kUpdateCaption[] = "Kolvex Update";
inline constexpr char kUpdateQuestionCaption[] = "Kolvex Update Available";
inline constexpr char kUpdateErrorCaption[] = "Update Error";
inline constexpr char kUpdateCompleteCaption[] = "Update Complete";
inline constexpr char kMsgWinInetMissing[] =
    "WinINet library is unavailable on this system.\nUnable to check for updates.";
inline constexpr char kMsgInternetOpenFailed[] = "Failed to initialize internet connection.";
inline constexpr char kMsgNoUpdateInformation[] =
    "Could not retrieve update information from server.\nPlease check your network connection and try again.";
inline constexpr char kMsgDownloadNotStarted[] = "Failed to start download from update server.";
inline constexpr char kMsgTempFileFailed[] = "Failed to create temporary file for update.";
inline constexpr char kMsgDownloadIncomplete[] = "Downloaded update file is incomplete.";
inline constexpr char kMsgNotAProgram[] = "Downloaded update file is not a valid program.";
inline constexpr char kMsgNotVerified[] = "The update could not be verified and was not installed.";
inline constexpr char kMsgReplaceFailed[] =
    "Failed to replace executable directly.\nPlease run the installer to update.";
inline constexpr char kMsgUpdated[] =
    "Kolvex has been updated successfully!\nKolvex will now restart with the new version.";
inline constexpr char kLabelChecking[] = "Checking for updates from server...";
inline constexpr char kLabelConnecting[] = "Connecting to download server...";
inline constexpr char kLabelApplying[] = "Applying update...";

std::string AlreadyLatestMessage(std::string_view serverVersion, std::string_view serverBuild);
std::string NewVersionQuestion(std::string_view serverVersion, std::string_view serverBuild);
std::string InstallerFailedMessage(std::string_view path);
// "Downloading: %u KB / %u KB (%d%%)..." with a known total, else "Downloading: %u KB...".
std::string DownloadingLabel(uint64_t received, std::optional<uint64_t> total);
// The progress position, 0..100, for a known total.
int DownloadPercent(uint64_t received, uint64_t total);
