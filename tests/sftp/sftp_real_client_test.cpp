// Uploads that fail with the real Linux clients, run through the bridge against the end-to-end test's own sshd
// on 127.0.0.1: each message must carry the client's own words. Run by tests/e2e/sftp_upload_test.sh, which
// starts sshd and names everything in KOLVEX_SFTP_*; skipped in the normal run.
#include <windows.h>

#include <string>

#include "sftp/sftp_fixture.h"

namespace {

using namespace sftp_test;

class SftpRealClient : public SftpFixture {
protected:
    void SetUp() override {
        SftpFixture::SetUp();
        bin_ = EnvironmentValue(L"KOLVEX_SFTP_BIN");
        ASSERT_FALSE(bin_.empty()) << "run through tests/e2e/sftp_upload_test.sh";
        port_ = std::stoi(EnvironmentValue(L"KOLVEX_SFTP_PORT"));
        config_ = EnvironmentValue(L"KOLVEX_BRIDGE_CONFIG");
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"KOLVEX_BRIDGE_CONFIG", config_.c_str());
        SftpFixture::TearDown();
    }

    // An upload of a picture of `bytes` bytes with the real client; returns the message it ended with.
    BoxSeen Upload(SftpToolKind kind, const std::wstring& key, int port, const std::wstring& remoteDir,
                   size_t bytes = 2000) {
        const wchar_t* name = kind == SftpToolKind::Psftp ? L"\\psftp.exe" : L"\\sftp.exe";
        auto job = MakeJob(kind, bin_ + name, std::string(bytes, 'k'));
        job->host = L"127.0.0.1";
        job->port = port;
        job->username = L"root";
        job->keyPath = key;
        job->remoteDir = remoteDir;
        job->deadlineMs = 20000;
        BoxSeen box;
        EXPECT_TRUE(UploadAndWait(std::move(job), &box, 25000));
        EXPECT_TRUE(SftpTempFiles().empty());
        return box;
    }

    std::wstring bin_, config_;
    int port_ = 0;
};

TEST_F(SftpRealClient, DISABLED_FailuresCarryTheClientsWords) {
    const std::wstring key = EnvironmentValue(L"KOLVEX_SFTP_KEY"), remote = EnvironmentValue(L"KOLVEX_SFTP_REMOTE");
    struct Case {
        const char* what;
        SftpToolKind kind;
        std::wstring key;
        int port;
        std::wstring remoteDir;
        std::wstring config;
        size_t bytes;
        const wchar_t* words;
    } cases[] = {
        {"a key the server does not know", SftpToolKind::OpenSshSftp, EnvironmentValue(L"KOLVEX_SFTP_WRONG_KEY"), port_,
         remote, config_, 2000, L"Permission denied"},
        {"a port nothing listens on", SftpToolKind::OpenSshSftp, key,
         std::stoi(EnvironmentValue(L"KOLVEX_SFTP_CLOSED_PORT")), remote, config_, 2000, L"Connection refused"},
        {"psftp without the host key", SftpToolKind::Psftp, EnvironmentValue(L"KOLVEX_SFTP_PPK"), port_, remote,
         EnvironmentValue(L"KOLVEX_BRIDGE_CONFIG_NO_HOSTKEY"), 2000, L"Cannot confirm a host key in batch mode"},
        {"a full remote disk", SftpToolKind::OpenSshSftp, key, port_, EnvironmentValue(L"KOLVEX_SFTP_FULL"), config_,
         300000, L"Failure"},
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableW(L"KOLVEX_BRIDGE_CONFIG", c.config.c_str());
        const BoxSeen box = Upload(c.kind, c.key, c.port, c.remoteDir, c.bytes);
        EXPECT_EQ(box.caption, L"SFTP Upload Error") << c.what << ": " << Narrow(box.text);
        EXPECT_NE(box.text.find(c.words), std::wstring::npos) << c.what << ": " << Narrow(box.text);
    }
}

TEST_F(SftpRealClient, DISABLED_AChangedHostKeyIsRefused) {
    const BoxSeen box = Upload(SftpToolKind::OpenSshSftp, EnvironmentValue(L"KOLVEX_SFTP_KEY"), port_,
                               EnvironmentValue(L"KOLVEX_SFTP_REMOTE"));
    EXPECT_EQ(box.caption, L"SFTP Upload Error") << Narrow(box.text);
    EXPECT_NE(box.text.find(L"Host key verification failed"), std::wstring::npos) << Narrow(box.text);
}

} // namespace
