// What an upload hands the external client: the field checks, the quoting, the batch script and the command
// line. No file or process is touched here; the job writes and starts what this builds.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

enum class SftpToolKind : int { None = 0, Psftp = 1, OpenSshSftp = 2, OpenSshScp = 3 };

// The fields an upload can refuse, in the order they are checked.
enum class SftpField { None, Host, User, Password, KeyFile, RemoteDir, Filename };
// The field's name in the refusal: "Host", "User", "Password", "Key File", "Remote Dir", "Filename".
const wchar_t* SftpFieldLabel(SftpField field);

// The longest text each field holds, in UTF-16 units as the dialog's edit fields count them.
constexpr size_t kSftpHostMax = 127, kSftpUserMax = 63, kSftpPasswordMax = 127, kSftpKeyPathMax = 259,
                 kSftpRemoteDirMax = 259, kSftpFileNameMax = 127, kSftpProfileNameMax = 63;
// CreateProcess takes at most 32,767 characters with the terminating zero; OpenSSH sftp reads batch lines into
// 2,048 bytes and would split a longer one into two commands.
constexpr size_t kMaxCommandLine = 32766, kMaxScriptLine = 2000;

struct SftpFields {
    std::wstring host, user, password, keyPath, remoteDir, fileName;
};

// Whether the system's conversion of a wide command line to the ANSI code page (what a client reading its
// arguments through the ANSI interface sees) turns this non-ASCII code point into an ASCII character, as
// U+FF02 becomes a double quote. Null means none does.
using AsciiLookalikeFn = bool (*)(char32_t codePoint);

// The first field an upload with this client cannot carry as one literal argument or script token, or None.
// Empty host and user are the dialog's own messages and pass here.
SftpField FindUnusableField(const SftpFields& fields, SftpToolKind kind, AsciiLookalikeFn lookalike);
// Whether any field is longer than its maximum.
bool AnyFieldTooLong(const SftpFields& fields);

// The remote folder as the clients get it: "\" turned into "/", trailing "/" removed, but a folder of only
// slashes stays "/". Empty means the login folder.
std::wstring NormalizeRemoteDir(std::wstring_view dir);

// One argument as CommandLineToArgvW reads it back: in double quotes, backslashes doubled before a quote.
std::wstring QuoteArgument(std::wstring_view arg);

enum class PasswordPass { None, CommandLine, File };

struct SftpCommandInput {
    SftpToolKind kind = SftpToolKind::None;
    std::wstring toolPath;
    int port = 22;
    SftpFields fields;
    std::wstring scriptPath;
    std::wstring localPicture;       // the temporary picture as the command line names it (scp)
    std::wstring scriptLocalPicture; // the same file as the script names it: see ScriptLocalPath
    PasswordPass password = PasswordPass::None;
    std::wstring passwordFile; // with PasswordPass::File
    AsciiLookalikeFn lookalike = nullptr;
};

enum class SftpBuildError { None, UnusableField, TooLong, UnusableLocalPath };
struct SftpBuildResult {
    SftpBuildError error = SftpBuildError::None;
    SftpField field = SftpField::None;
};

struct SftpCommand {
    std::wstring commandLine;
    std::string script;       // UTF-8, every line ending in CR LF
    std::string passwordFile; // UTF-8, the password and a line feed; empty unless PasswordPass::File
};

// Checks every field, then builds. Nothing is cut: a command line or script line that does not fit is TooLong.
[[nodiscard]] SftpBuildResult BuildSftpCommand(const SftpCommandInput& in, SftpCommand* out);
// "psftp -V", which tells the release.
std::wstring PsftpVersionCommand(std::wstring_view toolPath);

// The local picture's path as a script line can carry it for this client, chosen from its long and short (8.3)
// forms: the first made only of characters that need no escaping in either client's script. OpenSSH gets "/"
// for "\", since it reads "\" as an escape. Empty when neither form fits.
std::wstring ScriptLocalPath(std::wstring_view longPath, std::wstring_view shortPath, SftpToolKind kind);

// Code points <-> UTF-8, for the script and the password file.
std::string WideToUtf8Bytes(std::wstring_view s);
