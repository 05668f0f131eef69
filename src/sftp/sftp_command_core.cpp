#include "sftp/sftp_command_core.h"

#include <initializer_list>

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// The code point at s[*i], advancing *i past it; kInvalid for a lone surrogate half.
char32_t NextCodePoint(std::wstring_view s, size_t* i) {
    const char32_t c = static_cast<char32_t>(s[(*i)++]);
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0xD800 && c <= 0xDBFF && *i < s.size()) {
            const char32_t low = static_cast<char32_t>(s[*i]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++*i;
                return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
        }
    } else if (c > 0x10FFFF) {
        return kInvalid;
    }
    return c >= 0xD800 && c <= 0xDFFF ? kInvalid : c;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Blanks, invisible marks and separators outside ASCII: they would let a name look like another, or end one.
bool IsInvisibleOrBlank(char32_t c) {
    return c == 0xA0 || c == 0xAD || c == 0x61C || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF ||
           (c >= 0xFFF0 && c <= 0xFFFF) || (c >= 0xFDD0 && c <= 0xFDEF);
}

bool IsAsciiAlnum(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool IsIn(char32_t c, std::string_view set) {
    for (char s : set)
        if (c == static_cast<unsigned char>(s)) return true;
    return false;
}

struct CharRule {
    std::string_view asciiExtra; // ASCII characters allowed beside letters and digits
    bool nonAsciiLetters;        // visible non-ASCII characters
    bool anyPrintableAscii;      // every ASCII character from blank to "~" but those in forbidden
    std::string_view forbidden;
    bool lookalikesMatter;  // the value reaches the command line
    bool dashFirst = false; // a leading "-" is harmless: the value follows its option
};

bool FitsRule(std::wstring_view value, const CharRule& rule, AsciiLookalikeFn lookalike) {
    if (!rule.dashFirst && !value.empty() && value[0] == L'-') return false; // it would be read as an option
    for (size_t i = 0; i < value.size();) {
        const char32_t c = NextCodePoint(value, &i);
        if (c == kInvalid || IsControl(c)) return false;
        if (c < 0x80) {
            if (IsIn(c, rule.forbidden)) return false;
            if (!rule.anyPrintableAscii && !IsAsciiAlnum(c) && !IsIn(c, rule.asciiExtra)) return false;
            continue;
        }
        if (!rule.nonAsciiLetters || IsInvisibleOrBlank(c)) return false;
        if (rule.lookalikesMatter && lookalike && lookalike(c)) return false;
    }
    return true;
}

// "[...]" only around the whole host, as an IPv6 address is written.
bool BracketsWellPlaced(std::wstring_view host) {
    const size_t open = host.find(L'['), close = host.find(L']');
    if (open == std::wstring_view::npos && close == std::wstring_view::npos) return true;
    return open == 0 && close == host.size() - 1 && host.find(L'[', 1) == std::wstring_view::npos &&
           host.find(L']') == close;
}

} // namespace

SftpField FindUnusableField(const SftpFields& f, SftpToolKind kind, AsciiLookalikeFn lookalike) {
    const bool scp = kind == SftpToolKind::OpenSshScp;
    // With scp the remote path is on the command line and, under the legacy protocol, read by the server's
    // shell: blanks would split it there.
    const std::string_view pathExtra = scp ? "._/-" : "._/ -";
    const std::string_view dirExtra = scp ? "._/-\\:" : "._/ -\\:";
    const CharRule host = {".:[]-", false, false, {}, true};
    const CharRule user = {"._-", true, false, {}, true};
    const CharRule password = {{}, true, true, {}, true, true};
    const CharRule key = {{}, true, true, "\"%$", true};
    const CharRule dir = {dirExtra, true, false, {}, scp};
    const CharRule name = {pathExtra, true, false, {}, scp};
    if (!FitsRule(f.host, host, lookalike) || !BracketsWellPlaced(f.host)) return SftpField::Host;
    if (!FitsRule(f.user, user, lookalike)) return SftpField::User;
    // Only psftp ever gets the password.
    if (kind == SftpToolKind::Psftp && !FitsRule(f.password, password, lookalike)) return SftpField::Password;
    if (!FitsRule(f.keyPath, key, lookalike)) return SftpField::KeyFile;
    if (!FitsRule(f.remoteDir, dir, lookalike)) return SftpField::RemoteDir;
    if (!FitsRule(f.fileName, name, lookalike)) return SftpField::Filename;
    return SftpField::None;
}

namespace {

void AppendUtf8(char32_t c, std::string* out) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The host as OpenSSH's "user@host" and "user@host:path" need it: an IPv6 address in brackets.
std::wstring OpenSshHost(const std::wstring& host) {
    if (host.find(L':') == std::wstring::npos || host.front() == L'[') return host;
    return L"[" + host + L"]";
}

// The scp target path: the bare name for the login folder, else the folder and the name.
std::wstring ScpTarget(const std::wstring& dir, const std::wstring& name) {
    if (dir.empty()) return name;
    if (dir == L"/") return L"/" + name;
    return dir + L"/" + name;
}

std::string BuildScript(const SftpCommandInput& in) {
    const std::wstring dir = NormalizeRemoteDir(in.fields.remoteDir);
    std::wstring text;
    if (!dir.empty()) text += L"cd \"" + dir + L"\"\r\n";
    text += L"put \"" + in.scriptLocalPicture + L"\" \"" + in.fields.fileName + L"\"\r\n";
    text += in.kind == SftpToolKind::Psftp ? L"quit\r\n" : L"bye\r\n";
    return WideToUtf8Bytes(text);
}

bool ScriptLinesFit(const std::string& script) {
    size_t start = 0;
    for (size_t end = script.find('\n'); end != std::string::npos; end = script.find('\n', start)) {
        if (end - start > kMaxScriptLine) return false;
        start = end + 1;
    }
    return true;
}

std::wstring KeyOption(const std::wstring& key) { return key.empty() ? std::wstring() : L" -i " + QuoteArgument(key); }

std::wstring BuildCommandLine(const SftpCommandInput& in) {
    const SftpFields& f = in.fields;
    const int port = in.port >= 1 && in.port <= 65535 ? in.port : 22;
    std::wstring line = L"\"" + in.toolPath + L"\" -P " + std::to_wstring(port);
    switch (in.kind) {
    case SftpToolKind::Psftp:
        line += L" -batch -b " + QuoteArgument(in.scriptPath);
        if (in.password == PasswordPass::File) line += L" -pwfile " + QuoteArgument(in.passwordFile);
        if (in.password == PasswordPass::CommandLine) line += L" -pw " + QuoteArgument(f.password);
        line += KeyOption(f.keyPath) + L" -l " + QuoteArgument(f.user) + L" " + QuoteArgument(f.host);
        break;
    case SftpToolKind::OpenSshSftp:
        line += L" -o StrictHostKeyChecking=accept-new -b " + QuoteArgument(in.scriptPath) + KeyOption(f.keyPath);
        line += L" -- " + QuoteArgument(f.user + L"@" + OpenSshHost(f.host));
        break;
    default:
        line += L" -o StrictHostKeyChecking=accept-new -o BatchMode=yes" + KeyOption(f.keyPath) + L" -- ";
        line += QuoteArgument(in.localPicture) + L" ";
        line += QuoteArgument(f.user + L"@" + OpenSshHost(f.host) + L":" +
                              ScpTarget(NormalizeRemoteDir(f.remoteDir), f.fileName));
        break;
    }
    return line;
}

bool HasQuoteOrControl(std::wstring_view path) {
    for (wchar_t c : path)
        if (c == L'"' || static_cast<char32_t>(c) < 0x20) return true;
    return false;
}

bool LocalPathsUsable(const SftpCommandInput& in) {
    for (const std::wstring* p : {&in.toolPath, &in.scriptPath, &in.localPicture, &in.passwordFile})
        if (HasQuoteOrControl(*p)) return false;
    return !in.toolPath.empty() && !in.scriptPath.empty() && !in.scriptLocalPicture.empty() &&
           !(in.password == PasswordPass::File && in.passwordFile.empty());
}

bool FitsScriptLocally(std::wstring_view path) {
    if (path.empty()) return false;
    for (wchar_t c : path)
        if (!IsAsciiAlnum(static_cast<char32_t>(c)) && !IsIn(static_cast<char32_t>(c), " _.~:\\/()+,=@#-"))
            return false;
    return true;
}

} // namespace

const wchar_t* SftpFieldLabel(SftpField field) {
    switch (field) {
    case SftpField::Host: return L"Host";
    case SftpField::User: return L"User";
    case SftpField::Password: return L"Password";
    case SftpField::KeyFile: return L"Key File";
    case SftpField::RemoteDir: return L"Remote Dir";
    case SftpField::Filename: return L"Filename";
    case SftpField::None: break;
    }
    return L"";
}

bool AnyFieldTooLong(const SftpFields& f) {
    return f.host.size() > kSftpHostMax || f.user.size() > kSftpUserMax || f.password.size() > kSftpPasswordMax ||
           f.keyPath.size() > kSftpKeyPathMax || f.remoteDir.size() > kSftpRemoteDirMax ||
           f.fileName.size() > kSftpFileNameMax;
}

std::wstring NormalizeRemoteDir(std::wstring_view dir) {
    std::wstring out(dir);
    for (wchar_t& c : out)
        if (c == L'\\') c = L'/';
    const bool hadSlash = !out.empty();
    while (!out.empty() && out.back() == L'/')
        out.pop_back();
    if (out.empty() && hadSlash) out = L"/";
    return out;
}

std::wstring QuoteArgument(std::wstring_view arg) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: there each one is doubled, and the quote escaped.
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    out += L'"';
    return out;
}

SftpBuildResult BuildSftpCommand(const SftpCommandInput& in, SftpCommand* out) {
    if (AnyFieldTooLong(in.fields)) return {SftpBuildError::TooLong, SftpField::None};
    if (const SftpField bad = FindUnusableField(in.fields, in.kind, in.lookalike); bad != SftpField::None)
        return {SftpBuildError::UnusableField, bad};
    if (in.kind == SftpToolKind::None || !LocalPathsUsable(in)) return {SftpBuildError::UnusableLocalPath};
    SftpCommand built;
    built.script = BuildScript(in);
    built.commandLine = BuildCommandLine(in);
    if (!ScriptLinesFit(built.script) || built.commandLine.size() > kMaxCommandLine)
        return {SftpBuildError::TooLong, SftpField::None};
    if (in.password == PasswordPass::File) built.passwordFile = WideToUtf8Bytes(in.fields.password) + "\n";
    *out = std::move(built);
    return {};
}

std::wstring PsftpVersionCommand(std::wstring_view toolPath) { return L"\"" + std::wstring(toolPath) + L"\" -V"; }

std::wstring ScriptLocalPath(std::wstring_view longPath, std::wstring_view shortPath, SftpToolKind kind) {
    std::wstring chosen;
    if (FitsScriptLocally(longPath))
        chosen = longPath;
    else if (FitsScriptLocally(shortPath))
        chosen = shortPath;
    if (kind != SftpToolKind::Psftp)
        for (wchar_t& c : chosen)
            if (c == L'\\') c = L'/';
    return chosen;
}

std::string WideToUtf8Bytes(std::wstring_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const char32_t c = NextCodePoint(s, &i);
        AppendUtf8(c == kInvalid ? 0xFFFD : c, &out);
    }
    return out;
}
