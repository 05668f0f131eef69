// Whether what the servers sent may be used: detached RSA signatures (PKCS#1 v1.5 over SHA-256, as
// `openssl dgst -sha256 -sign` writes them) checked with the configured key through CryptoAPI, and the one check
// every download passes before anything runs it. Any thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/update_core.h"

// Whether signature verifies text with publicKey (a PUBLICKEYBLOB).
bool IsSignedBy(std::string_view text, const std::vector<uint8_t>& signature, const std::vector<uint8_t>& publicKey);

struct DownloadedFile {
    std::wstring path;
    std::string url; // where it came from; its signature lies at url + ".sig"
    InstallMode mode = InstallMode::Replacement;
    DownloadFacts facts;
    std::vector<uint8_t> head; // the first kPeHeadBytes bytes as they arrived
};

enum class DownloadVerdict { Accepted, Incomplete, NotAProgram, NotVerified };
// Every check of a download, in order: complete, a GUI PE32 for i386, then its signature and the SHA-256 the
// signed version document names for its mode. On acceptance *verified is the file opened for reading with
// writing and deleting denied to others, to be held until it has been started or copied.
DownloadVerdict CheckDownload(const DownloadedFile& file, const std::vector<uint8_t>& signature,
                              const std::vector<uint8_t>& publicKey, const std::optional<Sha256>& expected,
                              HANDLE* verified);
// The message for a refused download.
const char* DownloadVerdictMessage(DownloadVerdict verdict);
