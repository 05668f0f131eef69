#include "sftp/sftp_command_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using K = SftpToolKind;

std::string Narrow(const std::wstring& s) { return WideToUtf8Bytes(s); }

// The documented CommandLineToArgvW rules, to read back what the builder wrote: argv[0] runs to the next quote
// without escapes; later, 2n backslashes before a quote give n and toggle quoting, 2n + 1 give n and a quote.
std::vector<std::wstring> SplitLikeWindows(const std::wstring& line) {
    std::vector<std::wstring> args;
    size_t i = 0;
    std::wstring first;
    if (i < line.size() && line[i] == L'"') {
        for (++i; i < line.size() && line[i] != L'"'; ++i)
            first += line[i];
        ++i;
    } else {
        for (; i < line.size() && line[i] != L' ' && line[i] != L'\t'; ++i)
            first += line[i];
    }
    args.push_back(first);
    for (;;) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
            ++i;
        if (i >= line.size()) return args;
        std::wstring arg;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t')); ++i) {
            size_t slashes = 0;
            while (i < line.size() && line[i] == L'\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == L'"') {
                arg.append(slashes / 2, L'\\');
                if (slashes % 2) {
                    arg += L'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                    arg += L'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                arg.append(slashes, L'\\');
                if (i >= line.size()) break;
                if (!quoted && (line[i] == L' ' || line[i] == L'\t')) break;
                arg += line[i];
            }
        }
        args.push_back(arg);
    }
}

// A script line split as both clients split ours: blanks separate words, double quotes group. The builder never
// puts a quote or (for OpenSSH) a backslash inside a token, so neither client's escapes come into play.
std::vector<std::string> ScriptWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

std::vector<std::string> ScriptLines(const std::string& script) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = script.find("\r\n"); end != std::string::npos; end = script.find("\r\n", start)) {
        lines.push_back(script.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, script.size()) << "every line ends in CR LF";
    return lines;
}

SftpCommandInput Input(K kind) {
    SftpCommandInput in;
    in.kind = kind;
    in.toolPath = kind == K::Psftp         ? L"C:\\Kolvex\\psftp.exe"
                  : kind == K::OpenSshSftp ? L"C:\\ssh\\sftp.exe"
                                           : L"C:\\ssh\\scp.exe";
    in.port = 2222;
    in.fields = {L"example.org", L"ann", L"", L"", L"/var/www/uploads/", L"shot.png"};
    in.scriptPath = L"C:\\T\\kolvex_sftp_7_1_batch.txt";
    in.localPicture = L"C:\\T\\kolvex_sftp_7_1_temp.png";
    in.scriptLocalPicture = ScriptLocalPath(in.localPicture, L"", kind);
    return in;
}

SftpCommand Build(const SftpCommandInput& in) {
    SftpCommand out;
    const SftpBuildResult r = BuildSftpCommand(in, &out);
    EXPECT_EQ(r.error, SftpBuildError::None) << Narrow(SftpFieldLabel(r.field));
    return out;
}

TEST(SftpCommand, ScriptsAndCommandLinesForEachClientAndRemoteFolder) {
    struct Case {
        K kind;
        const wchar_t* dir;
        const char* cdLine; // empty: none
        const wchar_t* commandLine;
    } cases[] = {
        {K::Psftp, L"C:\\uploads\\", "cd \"C:/uploads\"",
         LR"("C:\Kolvex\psftp.exe" -P 2222 -batch -b "C:\T\kolvex_sftp_7_1_batch.txt" -l "ann" "example.org")"},
        {K::Psftp, L"", "", nullptr},
        {K::Psftp, L"/", "cd \"/\"", nullptr},
        {K::Psftp, L"//", "cd \"/\"", nullptr},
        {K::OpenSshSftp, L"C:\\uploads\\", "cd \"C:/uploads\"",
         LR"("C:\ssh\sftp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -b "C:\T\kolvex_sftp_7_1_batch.txt" -- "ann@example.org")"},
        {K::OpenSshSftp, L"", "", nullptr},
        {K::OpenSshSftp, L"//", "cd \"/\"", nullptr},
        {K::OpenSshScp, L"C:\\uploads\\", "cd \"C:/uploads\"",
         LR"("C:\ssh\scp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -o BatchMode=yes -- "C:\T\kolvex_sftp_7_1_temp.png" "ann@example.org:C:/uploads/shot.png")"},
        {K::OpenSshScp, L"", "",
         LR"("C:\ssh\scp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -o BatchMode=yes -- "C:\T\kolvex_sftp_7_1_temp.png" "ann@example.org:shot.png")"},
        {K::OpenSshScp, L"/", "cd \"/\"",
         LR"("C:\ssh\scp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -o BatchMode=yes -- "C:\T\kolvex_sftp_7_1_temp.png" "ann@example.org:/shot.png")"},
        {K::OpenSshScp, L"//", "cd \"/\"",
         LR"("C:\ssh\scp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -o BatchMode=yes -- "C:\T\kolvex_sftp_7_1_temp.png" "ann@example.org:/shot.png")"},
    };
    for (const Case& c : cases) {
        SftpCommandInput in = Input(c.kind);
        in.fields.remoteDir = c.dir;
        const SftpCommand out = Build(in);
        std::string expected = *c.cdLine ? std::string(c.cdLine) + "\r\n" : std::string();
        expected += c.kind == K::Psftp ? "put \"C:\\T\\kolvex_sftp_7_1_temp.png\" \"shot.png\"\r\nquit\r\n"
                                       : "put \"C:/T/kolvex_sftp_7_1_temp.png\" \"shot.png\"\r\nbye\r\n";
        EXPECT_EQ(out.script, expected) << static_cast<int>(c.kind) << " " << Narrow(c.dir);
        if (c.commandLine) {
            EXPECT_EQ(out.commandLine, c.commandLine) << Narrow(c.dir);
        }
        EXPECT_TRUE(out.passwordFile.empty());
    }
}

TEST(SftpCommand, PasswordAndKeyReachOnlyPsftpAndThePasswordFileHidesIt) {
    struct Case {
        K kind;
        PasswordPass pass;
        const wchar_t* commandLine;
        const char* passwordFile;
    } cases[] = {
        {K::Psftp, PasswordPass::File,
         LR"("C:\Kolvex\psftp.exe" -P 2222 -batch -b "C:\T\kolvex_sftp_7_1_batch.txt" -pwfile "C:\T\kolvex_sftp_7_1_pw.txt" -i "C:\keys\id.ppk" -l "ann" "example.org")",
         "s3cret pw\n"},
        {K::Psftp, PasswordPass::CommandLine,
         LR"("C:\Kolvex\psftp.exe" -P 2222 -batch -b "C:\T\kolvex_sftp_7_1_batch.txt" -pw "s3cret pw" -i "C:\keys\id.ppk" -l "ann" "example.org")",
         ""},
        {K::OpenSshSftp, PasswordPass::CommandLine,
         LR"("C:\ssh\sftp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -b "C:\T\kolvex_sftp_7_1_batch.txt" -i "C:\keys\id.ppk" -- "ann@example.org")",
         ""},
        {K::OpenSshScp, PasswordPass::CommandLine,
         LR"("C:\ssh\scp.exe" -P 2222 -o StrictHostKeyChecking=accept-new -o BatchMode=yes -i "C:\keys\id.ppk" -- "C:\T\kolvex_sftp_7_1_temp.png" "ann@example.org:/var/www/uploads/shot.png")",
         ""},
    };
    for (const Case& c : cases) {
        SftpCommandInput in = Input(c.kind);
        in.fields.password = L"s3cret pw";
        in.fields.keyPath = L"C:\\keys\\id.ppk";
        in.password = c.pass;
        in.passwordFile = L"C:\\T\\kolvex_sftp_7_1_pw.txt";
        const SftpCommand out = Build(in);
        EXPECT_EQ(out.commandLine, c.commandLine);
        EXPECT_EQ(out.passwordFile, c.passwordFile);
        EXPECT_EQ(out.script.find("s3cret"), std::string::npos);
    }
}

TEST(SftpCommand, AnIpv6HostIsBracketedForOpenSshOnly) {
    SftpCommandInput in = Input(K::OpenSshScp);
    in.fields.host = L"::1";
    EXPECT_EQ(SplitLikeWindows(Build(in).commandLine).back(), L"ann@[::1]:/var/www/uploads/shot.png");
    in.kind = K::OpenSshSftp;
    EXPECT_EQ(SplitLikeWindows(Build(in).commandLine).back(), L"ann@[::1]");
    in.kind = K::Psftp;
    EXPECT_EQ(SplitLikeWindows(Build(in).commandLine).back(), L"::1");
    in.fields.host = L"[::1";
    SftpCommand out;
    EXPECT_EQ(BuildSftpCommand(in, &out).field, SftpField::Host);
}

// The option values and the last argument of a command line, as "-l=ann", "last=example.org".
std::vector<std::wstring> Places(const SftpCommand& out) {
    const std::vector<std::wstring> argv = SplitLikeWindows(out.commandLine);
    std::vector<std::wstring> found;
    for (size_t i = 1; i + 1 < argv.size(); ++i)
        if (argv[i] == L"-l" || argv[i] == L"-i" || argv[i] == L"-pw") found.push_back(argv[i] + L"=" + argv[i + 1]);
    found.push_back(L"last=" + argv.back());
    return found;
}

bool Contains(const std::vector<std::wstring>& places, const std::wstring& entry) {
    for (const std::wstring& p : places)
        if (p == entry) return true;
    return false;
}

std::wstring* FieldOf(SftpFields* f, SftpField field) {
    switch (field) {
    case SftpField::Host: return &f->host;
    case SftpField::User: return &f->user;
    case SftpField::Password: return &f->password;
    case SftpField::KeyFile: return &f->keyPath;
    case SftpField::RemoteDir: return &f->remoteDir;
    default: return &f->fileName;
    }
}

// An allowed value is one argument (the user for OpenSSH the part before "@") or one script token.
void ExpectWhole(SftpField field, K kind, const std::wstring& value, const SftpCommand& out, const std::string& what) {
    const std::wstring last = SplitLikeWindows(out.commandLine).back();
    if (field == SftpField::User && kind != K::Psftp) {
        EXPECT_EQ(last.substr(0, value.size() + 1), value + L"@") << what;
        return;
    }
    const wchar_t* option = field == SftpField::User       ? L"-l="
                            : field == SftpField::Password ? L"-pw="
                            : field == SftpField::KeyFile  ? L"-i="
                                                           : nullptr;
    if (option) {
        EXPECT_TRUE(Contains(Places(out), option + value)) << what;
        return;
    }
    const std::vector<std::string> lines = ScriptLines(out.script);
    const bool dir = field == SftpField::RemoteDir;
    EXPECT_EQ(ScriptWords(lines.at(dir ? 0 : 1)).at(dir ? 1 : 2), Narrow(value)) << what;
    if (kind == K::OpenSshScp) {
        EXPECT_NE(last.find(value), std::wstring::npos) << what;
    }
}

TEST(SftpCommand, HostileValuesAreRefusedByNameOrArriveWhole) {
    // R refused, A arrives as one argument or script token; per field, per value in the order of kValues.
    const wchar_t* const kValues[] = {L"-x",
                                      L"a b",
                                      L"a\"b",
                                      L"a'b",
                                      L"a\rb",
                                      L"a\nb",
                                      L"a!b",
                                      L"$(touch m)",
                                      L"a`b`",
                                      L"%VAR%",
                                      L"\u0424\u043e\u0442\u043e"};
    struct Row {
        SftpField field;
        K kind;
        const char* expect;
    } rows[] = {
        {SftpField::Host, K::Psftp, "RRRRRRRRRRR"},           {SftpField::Host, K::OpenSshScp, "RRRRRRRRRRR"},
        {SftpField::User, K::Psftp, "RRRRRRRRRRA"},           {SftpField::User, K::OpenSshSftp, "RRRRRRRRRRA"},
        {SftpField::User, K::OpenSshScp, "RRRRRRRRRRA"},      {SftpField::Password, K::Psftp, "AAAARRAAAAA"},
        {SftpField::KeyFile, K::Psftp, "RARARRARARA"},        {SftpField::KeyFile, K::OpenSshSftp, "RARARRARARA"},
        {SftpField::RemoteDir, K::Psftp, "RARRRRRRRRA"},      {SftpField::RemoteDir, K::OpenSshSftp, "RARRRRRRRRA"},
        {SftpField::RemoteDir, K::OpenSshScp, "RRRRRRRRRRA"}, {SftpField::Filename, K::Psftp, "RARRRRRRRRA"},
        {SftpField::Filename, K::OpenSshSftp, "RARRRRRRRRA"}, {SftpField::Filename, K::OpenSshScp, "RRRRRRRRRRA"},
    };
    for (const Row& row : rows) {
        for (size_t v = 0; v < std::size(kValues); ++v) {
            SftpCommandInput in = Input(row.kind);
            in.password = row.kind == K::Psftp ? PasswordPass::CommandLine : PasswordPass::None;
            *FieldOf(&in.fields, row.field) = kValues[v];
            const std::string what = Narrow(SftpFieldLabel(row.field)) + " " +
                                     std::to_string(static_cast<int>(row.kind)) + " value " + std::to_string(v);
            SftpCommand out;
            const SftpBuildResult r = BuildSftpCommand(in, &out);
            if (row.expect[v] == 'R') {
                EXPECT_EQ(r.error, SftpBuildError::UnusableField) << what;
                EXPECT_EQ(r.field, row.field) << what;
            } else {
                ASSERT_EQ(r.error, SftpBuildError::None) << what;
                ExpectWhole(row.field, row.kind, kValues[v], out, what);
            }
        }
    }
}

TEST(SftpCommand, OpenSshNeverGetsThePasswordNorAUserOption) {
    for (K kind : {K::OpenSshSftp, K::OpenSshScp}) {
        SftpCommandInput in = Input(kind);
        in.fields.password = L"a\nb\"c";
        in.password = PasswordPass::CommandLine;
        const SftpCommand out = Build(in);
        EXPECT_EQ(out.commandLine.find(L"a\nb"), std::wstring::npos);
        EXPECT_EQ(out.commandLine.find(L" -l "), std::wstring::npos);
        EXPECT_NE(out.commandLine.find(L" -- "), std::wstring::npos);
    }
}

bool FullwidthIsLookalike(char32_t c) { return c >= 0xFF01 && c <= 0xFF5E; }

TEST(SftpCommand, CharactersTheAnsiConversionTurnsIntoAsciiAreRefusedOnTheCommandLineOnly) {
    SftpCommandInput in = Input(K::Psftp);
    in.lookalike = FullwidthIsLookalike;
    in.password = PasswordPass::CommandLine;
    in.fields.password = L"x\uff02 -i evil";
    SftpCommand out;
    EXPECT_EQ(BuildSftpCommand(in, &out).field, SftpField::Password);
    in.fields.password = L"p";
    in.fields.fileName = L"a\uff02b.png"; // in the UTF-8 script it is just a letter
    EXPECT_EQ(BuildSftpCommand(in, &out).error, SftpBuildError::None);
    in.kind = K::OpenSshScp;
    in.toolPath = L"C:\\ssh\\scp.exe";
    EXPECT_EQ(BuildSftpCommand(in, &out).field, SftpField::Filename);
}

TEST(SftpCommand, EveryFieldAtItsMaximumArrivesWholeAndOneMoreIsRefused) {
    for (K kind : {K::Psftp, K::OpenSshSftp, K::OpenSshScp}) {
        SftpCommandInput in = Input(kind);
        in.fields.host = std::wstring(kSftpHostMax, L'h');
        in.fields.user = std::wstring(kSftpUserMax, L'u');
        in.fields.password = std::wstring(kSftpPasswordMax, L'p');
        in.fields.keyPath = L"C:\\" + std::wstring(kSftpKeyPathMax - 3, L'k');
        in.fields.remoteDir = L"/" + std::wstring(kSftpRemoteDirMax - 1, L'd');
        in.fields.fileName = std::wstring(kSftpFileNameMax - 4, L'n') + L".png";
        in.password = kind == K::Psftp ? PasswordPass::CommandLine : PasswordPass::None;
        const SftpCommand out = Build(in);
        const std::vector<std::wstring> argv = SplitLikeWindows(out.commandLine);
        const std::vector<std::wstring> places = Places(out);
        EXPECT_TRUE(Contains(places, L"-i=" + in.fields.keyPath)) << static_cast<int>(kind);
        if (kind == K::Psftp) {
            EXPECT_TRUE(Contains(places, L"-pw=" + in.fields.password));
            EXPECT_TRUE(Contains(places, L"-l=" + in.fields.user));
            EXPECT_EQ(argv.back(), in.fields.host);
        } else if (kind == K::OpenSshScp) {
            EXPECT_EQ(argv.back(),
                      in.fields.user + L"@" + in.fields.host + L":" + in.fields.remoteDir + L"/" + in.fields.fileName);
        } else {
            EXPECT_EQ(argv.back(), in.fields.user + L"@" + in.fields.host);
        }
        EXPECT_NE(out.script.find("cd \"" + Narrow(in.fields.remoteDir) + "\"\r\n"), std::string::npos);
        EXPECT_NE(out.script.find("\"" + Narrow(in.fields.fileName) + "\"\r\n"), std::string::npos);

        for (std::wstring* f : {&in.fields.host, &in.fields.user, &in.fields.password, &in.fields.keyPath,
                                &in.fields.remoteDir, &in.fields.fileName}) {
            const std::wstring kept = *f;
            f->insert(f->begin() + 1, L'x');
            SftpCommand refused;
            EXPECT_EQ(BuildSftpCommand(in, &refused).error, SftpBuildError::TooLong) << Narrow(*f).substr(0, 8);
            EXPECT_TRUE(refused.commandLine.empty());
            *f = kept;
        }
    }
}

TEST(SftpCommand, ACommandLineOrScriptLineThatDoesNotFitIsRefusedWhole) {
    SftpCommandInput in = Input(K::OpenSshScp);
    in.localPicture = L"C:\\" + std::wstring(kMaxCommandLine, L't') + L".png";
    SftpCommand out;
    EXPECT_EQ(BuildSftpCommand(in, &out).error, SftpBuildError::TooLong);
    EXPECT_TRUE(out.commandLine.empty());

    in = Input(K::OpenSshSftp);
    in.scriptLocalPicture = L"C:/" + std::wstring(kMaxScriptLine, L't') + L".png";
    EXPECT_EQ(BuildSftpCommand(in, &out).error, SftpBuildError::TooLong);
    in.scriptLocalPicture = L"C:/" + std::wstring(kMaxScriptLine - 40, L't') + L".png";
    EXPECT_EQ(BuildSftpCommand(in, &out).error, SftpBuildError::None);
}

TEST(SftpCommand, QuotingRoundTripsThroughTheWindowsRules) {
    const wchar_t* const args[] = {
        L"",   L"plain", L"a b", L"tab\there", L"say \"hi\"", L"C:\\dir\\", L"back\\\\\"slash", L"\\\\server\\share\\",
        L"\"", L"\\"};
    std::wstring line = L"\"C:\\tool.exe\"";
    for (const wchar_t* a : args)
        line += L" " + QuoteArgument(a);
    const std::vector<std::wstring> argv = SplitLikeWindows(line);
    ASSERT_EQ(argv.size(), std::size(args) + 1);
    EXPECT_EQ(argv[0], L"C:\\tool.exe");
    for (size_t i = 0; i < std::size(args); ++i)
        EXPECT_EQ(argv[i + 1], args[i]) << i;
}

TEST(SftpCommand, TheScriptNamesTheLocalPictureByAFormEveryClientReadsLiterally) {
    struct Case {
        const wchar_t* longPath;
        const wchar_t* shortPath;
        K kind;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Users\\Ann Lee\\Temp\\p.png", L"C:\\Users\\ANNLEE~1\\Temp\\p.png", K::Psftp,
         L"C:\\Users\\Ann Lee\\Temp\\p.png"},
        {L"C:\\Users\\Ann Lee\\Temp\\p.png", L"", K::OpenSshSftp, L"C:/Users/Ann Lee/Temp/p.png"},
        {L"C:\\Temp\\\u0424\u043e\u0442\u043e\\p.png", L"C:\\Temp\\____~3ET\\P~1.PNG", K::Psftp,
         L"C:\\Temp\\____~3ET\\P~1.PNG"},
        {L"C:\\Temp\\[x]\\p.png", L"C:\\Temp\\_X_~1\\p.png", K::OpenSshSftp, L"C:/Temp/_X_~1/p.png"},
        {L"C:\\Temp\\it's\\p.png", L"C:\\Temp\\it's\\p.png", K::Psftp, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScriptLocalPath(c.longPath, c.shortPath, c.kind), c.expected) << Narrow(c.longPath);
    SftpCommandInput in = Input(K::Psftp);
    in.scriptLocalPicture.clear();
    SftpCommand out;
    EXPECT_EQ(BuildSftpCommand(in, &out).error, SftpBuildError::UnusableLocalPath);
}

TEST(SftpCommand, RemoteFolderNormalisation) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {{L"/var/www/uploads/", L"/var/www/uploads"},
                 {L"C:\\uploads\\", L"C:/uploads"},
                 {L"", L""},
                 {L"/", L"/"},
                 {L"//", L"/"},
                 {L"\\", L"/"},
                 {L"images", L"images"}};
    for (const Case& c : cases)
        EXPECT_EQ(NormalizeRemoteDir(c.in), c.out) << Narrow(c.in);
}

} // namespace
